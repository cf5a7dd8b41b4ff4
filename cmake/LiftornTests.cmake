# How tests are declared. In the Windows build each test executable is one
# CTest test that Wine runs (through the cross-compiling emulator); in the
# native build only the tests of Win32-free code exist, run under the
# sanitizers.

if(WIN32)
    # GoogleTest and GoogleMock from Debian's sources, built with the tests
    # (and only when a test needs them: `make run` never builds them), with
    # Win32 threads rather than winpthreads.
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    target_compile_definitions(gtest PUBLIC GTEST_HAS_PTHREAD=0)
    foreach(library gtest gtest_main gmock gmock_main)
        add_library(deps::${library} ALIAS ${library})
    endforeach()
endif()

# Tests that move the pointer, fill the clipboard, take the keyboard focus or
# start the program (whose window has a global name) need a desk of their
# own: `PROPERTIES RESOURCE_GROUPS desks:1`. scripts/test.sh offers ctest
# several desks, each a virtual display with a Wine prefix of its own
# (scripts/with-display.sh --desks), and such a test's command starts with
# LIFTORN_ON_DESK, which moves it onto the desk it was given. Tests without a
# desk run on the first display, beside whatever holds it.
set(LIFTORN_ON_DESK ${CMAKE_SOURCE_DIR}/scripts/on-desk.sh)
# The long tests say about how many seconds they take (COST), so that a run
# without figures of its own, as from a clean clone, starts them first.

# liftorn_test(<name> SOURCES ... [LIBRARIES ...] [PROPERTIES ...]): Windows only.
# Every test reuses the test support's precompiled header (GoogleTest and
# the system headers).
function(liftorn_test name)
    cmake_parse_arguments(test "" "" "SOURCES;LIBRARIES;PROPERTIES" ${ARGN})
    add_executable(${name} ${test_SOURCES})
    target_link_libraries(${name} PRIVATE liftorn_test_support deps::gtest_main ${test_LIBRARIES})
    target_precompile_headers(${name} REUSE_FROM liftorn_test_support)
    target_link_options(${name} PRIVATE -static)
    add_test(NAME ${name}
        COMMAND ${LIFTORN_ON_DESK} ${CMAKE_SOURCE_DIR}/scripts/check-gtest.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
                $<TARGET_FILE:${name}> --liftorn=$<TARGET_FILE:liftorn>)
    set_tests_properties(${name} PROPERTIES TIMEOUT 180 ${test_PROPERTIES})
endfunction()

# Like liftorn_test, but the test runs next to a development service of its
# own, whose address reaches the Wine process through the environment.
function(liftorn_service_test name)
    cmake_parse_arguments(test "" "" "SOURCES;LIBRARIES;PROPERTIES" ${ARGN})
    add_executable(${name} ${test_SOURCES})
    target_link_libraries(${name} PRIVATE liftorn_test_support deps::gtest_main ${test_LIBRARIES})
    target_precompile_headers(${name} REUSE_FROM liftorn_test_support)
    target_link_options(${name} PRIVATE -static)
    add_test(NAME ${name}
        COMMAND ${LIFTORN_ON_DESK} ${CMAKE_SOURCE_DIR}/scripts/with-devservice.sh ${CMAKE_SOURCE_DIR}/scripts/check-gtest.sh
                ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}> --liftorn=$<TARGET_FILE:liftorn>)
    set_tests_properties(${name} PROPERTIES TIMEOUT 300 ${test_PROPERTIES})
endfunction()

# liftorn_portable_test(<source> MODULES ...): a test of Win32-free code, run
# natively under the sanitizers (as native.<name>) and, in the Windows build,
# under Wine (where wchar_t has 16 bits). It links only the modules named.
function(liftorn_portable_test source)
    cmake_parse_arguments(test "" "" "MODULES" ${ARGN})
    get_filename_component(name ${source} NAME_WE)
    list(TRANSFORM test_MODULES PREPEND liftorn_ OUTPUT_VARIABLE modules)
    if(WIN32)
        liftorn_test(${name} SOURCES ${source} LIBRARIES ${modules})
    else()
        add_executable(native_${name} ${source} ${CMAKE_SOURCE_DIR}/tests/support/temp_dir.cpp)
        target_include_directories(native_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
        target_link_libraries(native_${name} PRIVATE ${modules} GTest::gtest_main GTest::gmock
                              liftorn_native_flags)
        add_test(NAME native.${name} COMMAND native_${name})
    endif()
endfunction()
