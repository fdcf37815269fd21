# Project-wide build settings: warnings, sanitizers and test registration.

if(DIALWERK_SANITIZE)
    add_compile_options(-fsanitize=${DIALWERK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${DIALWERK_SANITIZE})
endif()

# Applies the house warning flags to one of our own targets.
function(dialwerk_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(DIALWERK_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# dialwerk_test(<name> SOURCES ... LIBS ... [LABELS ...])
# Builds one GoogleTest executable and registers it with CTest. Tests labelled
# "threaded" are the ones CI runs again under ThreadSanitizer.
function(dialwerk_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    dialwerk_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        LABELS "${ARG_LABELS}"
        TIMEOUT 600
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;DIALWERK_BUILD_DIR=${CMAKE_BINARY_DIR}")
endfunction()
