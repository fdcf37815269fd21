# Turns the table of published functions (name first, tab-separated, with a
# header line) into rows of a C++ array of names: "name",
# Usage: cmake -DIN=<functions.tsv> -DOUT=<file.inc> -P MakeFunctionTable.cmake
# The parameter column holds ';', which a CMake list would split on, so the
# names are matched in the file's text rather than read line by line.
file(READ "${IN}" text)
string(REGEX MATCHALL "\n[A-Za-z0-9_]+\t" names "${text}")
set(rows "// Generated from ${IN}; do not edit.\n")
foreach(name IN LISTS names)
    string(STRIP "${name}" name)
    string(APPEND rows "\"${name}\",\n")
endforeach()
file(WRITE "${OUT}.tmp" "${rows}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
