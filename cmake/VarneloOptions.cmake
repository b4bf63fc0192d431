# Warnings and sanitizers for every target of the project.
add_compile_options(-Wall -Wextra)
if(CMAKE_BUILD_TYPE STREQUAL "Debug")
    add_compile_options(-Werror)
endif()

if(VARNELO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

if(VARNELO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "VARNELO_FUZZ needs clang (configure with -DCMAKE_CXX_COMPILER=clang++)")
    endif()
    # Everything is instrumented for coverage; only the harnesses link the fuzzer's main().
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# varnelo_add_test(NAME SOURCES a.cpp b.cpp LIBS lib...)
# One QtTest executable per area; GUI tests run offscreen.
function(varnelo_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test varnelo_testcommon ${T_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=qt.qpa.*=false"
        TIMEOUT ${T_TIMEOUT})
endfunction()

# varnelo_add_fuzzer(NAME SOURCES a.cpp LIBS lib...)
function(varnelo_add_fuzzer name)
    if(NOT VARNELO_FUZZ)
        return()
    endif()
    cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set_property(GLOBAL APPEND PROPERTY VARNELO_FUZZERS ${name})
endfunction()
