# Native (Linux) build of the platform-free code with AddressSanitizer and
# UndefinedBehaviorSanitizer, and optional libFuzzer targets (clang only).
option(LIFTORN_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
if(LIFTORN_FUZZ)
    list(APPEND sanitizers -fsanitize=fuzzer-no-link)
endif()
target_compile_options(liftorn_portable PUBLIC ${sanitizers} -g)
target_link_options(liftorn_portable PUBLIC -fsanitize=address,undefined)

if(LIFTORN_FUZZ)
    foreach(target json_fuzz settings_fuzz)
        add_executable(${target} tests/fuzz/${target}.cpp)
        target_link_libraries(${target} PRIVATE liftorn_portable)
        target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    endforeach()
    return()
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

include(cmake/PortableTests.cmake)
foreach(test ${LIFTORN_PORTABLE_TESTS})
    get_filename_component(name ${test} NAME_WE)
    add_executable(native_${name} ${test} tests/support/temp_dir.cpp)
    target_include_directories(native_${name} PRIVATE tests)
    target_link_libraries(native_${name} PRIVATE liftorn_portable GTest::gtest_main GTest::gmock)
    add_test(NAME native.${name} COMMAND native_${name})
endforeach()

# The local development service that the upload tests and `make run` use.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_test(NAME native.devservice
    COMMAND Python3::Interpreter -m unittest discover -s ${CMAKE_SOURCE_DIR}/tests/tools)
set_tests_properties(native.devservice PROPERTIES TIMEOUT 120)
