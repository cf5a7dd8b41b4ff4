# Native (Linux) build of the platform-free code with AddressSanitizer and
# UndefinedBehaviorSanitizer, or with LIFTORN_FUZZ the libFuzzer targets
# (clang only) over the same code.
option(LIFTORN_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

# Every native module links this: the sanitizers (and fuzzer coverage). The
# library's own checks make an index past the end of a string or vector an
# abort rather than a quiet read of whatever lies beyond it.
add_library(liftorn_native_flags INTERFACE)
set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
if(LIFTORN_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "The fuzz build needs clang (CC=clang CXX=clang++)")
    endif()
    list(APPEND sanitizers -fsanitize=fuzzer-no-link)
endif()
target_compile_options(liftorn_native_flags INTERFACE ${sanitizers} -g)
target_compile_definitions(liftorn_native_flags INTERFACE _GLIBCXX_ASSERTIONS)
target_link_options(liftorn_native_flags INTERFACE -fsanitize=address,undefined)

# The libraries portable code calls, from the system's development packages
# (scripts/install-packages.sh), under the names the Windows build uses.
find_package(PkgConfig REQUIRED)
pkg_check_modules(sodium REQUIRED IMPORTED_TARGET GLOBAL libsodium)
add_library(deps::sodium ALIAS PkgConfig::sodium)

if(NOT LIFTORN_FUZZ)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
