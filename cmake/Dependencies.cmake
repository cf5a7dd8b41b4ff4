# Imported targets for the static Windows libraries that scripts/build-deps.sh
# puts under LIFTORN_DEPS_PREFIX. Each target carries its include directories,
# compile definitions and the libraries it needs after it, so
#   target_link_libraries(x PRIVATE deps::curl)
# is all a user writes.
if(TARGET deps::zlib)
    return()
endif()
if(NOT LIFTORN_DEPS_PREFIX AND DEFINED ENV{LIFTORN_DEPS_PREFIX})
    set(LIFTORN_DEPS_PREFIX "$ENV{LIFTORN_DEPS_PREFIX}")
endif()
if(NOT LIFTORN_DEPS_PREFIX)
    message(FATAL_ERROR "LIFTORN_DEPS_PREFIX is not set: run scripts/build-deps.sh")
endif()
set(_deps_include ${LIFTORN_DEPS_PREFIX}/include)
set(_deps_lib ${LIFTORN_DEPS_PREFIX}/lib)

# _liftorn_dep(NAME FILE [CXX] [INCLUDES dir...] [DEFINES def...] [LINKS lib...])
# CXX marks libraries with C++ parts, so that even a C user links with g++.
function(_liftorn_dep name file)
    cmake_parse_arguments(dep "CXX" "" "INCLUDES;DEFINES;LINKS" ${ARGN})
    if(NOT EXISTS ${_deps_lib}/${file})
        message(FATAL_ERROR "missing ${_deps_lib}/${file}: rebuild the dependencies")
    endif()
    add_library(deps::${name} STATIC IMPORTED GLOBAL)
    set_target_properties(deps::${name} PROPERTIES
        IMPORTED_LOCATION ${_deps_lib}/${file}
        INTERFACE_INCLUDE_DIRECTORIES "${_deps_include};${dep_INCLUDES}"
        INTERFACE_COMPILE_DEFINITIONS "${dep_DEFINES}"
        INTERFACE_LINK_LIBRARIES "${dep_LINKS}")
    if(dep_CXX)
        set_target_properties(deps::${name} PROPERTIES IMPORTED_LINK_INTERFACE_LANGUAGES CXX)
    endif()
endfunction()

_liftorn_dep(zlib libz.a)
_liftorn_dep(minizip libminizip.a INCLUDES ${_deps_include}/minizip LINKS deps::zlib)
_liftorn_dep(png libpng16.a INCLUDES ${_deps_include}/libpng16 LINKS deps::zlib)
_liftorn_dep(jpeg libjpeg.a)
_liftorn_dep(freetype libfreetype.a INCLUDES ${_deps_include}/freetype2 LINKS "deps::png;deps::zlib")
# Built with SQLITE_THREADSAFE=1 (serialized).
_liftorn_dep(sqlite3 libsqlite3.a)
# Schannel for TLS, Win32 threads for the resolver.
_liftorn_dep(curl libcurl.a DEFINES CURL_STATICLIB
    LINKS "deps::zlib;bcrypt;advapi32;crypt32;ws2_32")
# DevIL is built for wide file names (ILchar is wchar_t), so its users must
# see _UNICODE; ILU comes before IL, the image libraries after both.
_liftorn_dep(il libIL.a CXX DEFINES "IL_STATIC_LIB;_UNICODE;UNICODE"
    LINKS "deps::png;deps::jpeg;deps::zlib")
_liftorn_dep(devil libILU.a CXX DEFINES "IL_STATIC_LIB;_UNICODE;UNICODE" LINKS deps::il)
# giflib writes GIF files (DevIL cannot).
_liftorn_dep(gif libgif.a)
# Ed25519 signatures and SHA-256 (the updater).
_liftorn_dep(sodium libsodium.a DEFINES SODIUM_STATIC)
