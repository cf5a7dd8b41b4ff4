# Native (Linux) build of the platform-free code with AddressSanitizer and
# UndefinedBehaviorSanitizer, and optional libFuzzer targets (clang only).
option(LIFTORN_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

# Every native module links this: the sanitizers (and fuzzer coverage).
add_library(liftorn_native_flags INTERFACE)
set(sanitizers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
if(LIFTORN_FUZZ)
    list(APPEND sanitizers -fsanitize=fuzzer-no-link)
endif()
target_compile_options(liftorn_native_flags INTERFACE ${sanitizers} -g)
target_link_options(liftorn_native_flags INTERFACE -fsanitize=address,undefined)

if(NOT LIFTORN_FUZZ)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
