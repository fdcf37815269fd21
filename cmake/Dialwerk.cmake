# Project-wide build settings: warnings, sanitizers and test registration.

# Rebuilds are faster with ccache; it is optional and never required.
find_program(DIALWERK_CCACHE ccache)
if(DIALWERK_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    set(CMAKE_CXX_COMPILER_LAUNCHER ${DIALWERK_CCACHE})
endif()

if(DIALWERK_SANITIZE)
    add_compile_options(-fsanitize=${DIALWERK_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${DIALWERK_SANITIZE})
endif()

# Fuzzing: libFuzzer's coverage instrumentation and AddressSanitizer +
# UndefinedBehaviorSanitizer on everything the fuzz targets build from.
if(DIALWERK_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "DIALWERK_FUZZ needs clang and libFuzzer: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()

# Applies the house warning flags to one of our own targets.
function(dialwerk_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    if(DIALWERK_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

include(GoogleTest)

# dialwerk_test(<name> SOURCES ... LIBS ... [LABELS ...])
# Builds one GoogleTest executable and registers each of its cases with CTest
# (listed when ctest runs, so a failure names its case). Tests labelled
# "threaded" are the ones CI runs again under ThreadSanitizer.
function(dialwerk_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    dialwerk_warnings(${name})
    set(labels)
    if(ARG_LABELS)
        set(labels LABELS "${ARG_LABELS}")
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        NO_PRETTY_VALUES
        PROPERTIES
            ${labels}
            TIMEOUT 600
            ENVIRONMENT QT_QPA_PLATFORM=offscreen)
endfunction()
