# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (POSIX threads g++).
# Executables run under Wine through scripts/wine-run.sh, so ctest and
# gtest_discover_tests work on the build machine.
#
#   cmake -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DLIFTORN_DEPS_PREFIX="$(scripts/build-deps.sh)" ...

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_mingw_triplet}-windres)

# try_compile projects re-read this file without the caller's cache, so hand
# the prefix on to them; the environment is the fallback for plain shells.
if(NOT LIFTORN_DEPS_PREFIX AND DEFINED ENV{LIFTORN_DEPS_PREFIX})
  set(LIFTORN_DEPS_PREFIX "$ENV{LIFTORN_DEPS_PREFIX}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES LIFTORN_DEPS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${_mingw_triplet})
if(LIFTORN_DEPS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH "${LIFTORN_DEPS_PREFIX}")
endif()

# Libraries and headers only from the target's roots; tools from the host.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything is linked statically: never pick an import library.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh")
