# One static library per folder of src/, named liftorn_<folder>.
#
#   liftorn_module(<folder>
#       PORTABLE  sources free of Win32 (also built natively, with sanitizers)
#       WINDOWS   sources that need Win32 (Windows build only)
#       DEPENDS   folders this one builds on (lower in the order)
#       LIBRARIES other libraries (Windows build only)
#       PORTABLE_LIBRARIES libraries the PORTABLE sources call (both builds;
#                 cmake/Native.cmake names their native counterparts))
#
# A module sees only its own headers and those of the modules it depends on,
# directly or through them: each gets an include root holding a single link,
# <folder> -> src/<folder>. So an include that runs the wrong way, say
# "app/app_state.h" from gui, fails to compile, and so does a missing DEPENDS.
# What every Windows source sees first, precompiled once.
set(LIFTORN_PRECOMPILED_HEADERS <windows.h> <algorithm> <atomic> <cstdint> <functional> <map> <memory>
    <mutex> <string> <vector>)

function(liftorn_module name)
    cmake_parse_arguments(module "" "" "PORTABLE;WINDOWS;DEPENDS;LIBRARIES;PORTABLE_LIBRARIES" ${ARGN})
    set(sources ${module_PORTABLE})
    if(WIN32)
        list(APPEND sources ${module_WINDOWS})
    endif()
    set(target liftorn_${name})
    set(include_root ${CMAKE_BINARY_DIR}/module-include/${name})
    file(MAKE_DIRECTORY ${include_root})
    if(NOT EXISTS ${include_root}/${name})
        file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${name} ${include_root}/${name} SYMBOLIC)
    endif()
    if(sources)
        add_library(${target} STATIC ${sources})
        set(scope PUBLIC)
    else()
        add_library(${target} INTERFACE)
        set(scope INTERFACE)
    endif()
    target_include_directories(${target} ${scope} ${include_root})
    foreach(dependency ${module_DEPENDS})
        target_link_libraries(${target} ${scope} liftorn_${dependency})
    endforeach()
    target_link_libraries(${target} ${scope} ${module_PORTABLE_LIBRARIES})
    if(WIN32)
        target_link_libraries(${target} ${scope} ${module_LIBRARIES})
        # One precompiled header of the system and standard headers for
        # every module, made with the lowest: parsing <windows.h> once
        # rather than in every source is a good part of a cold build.
        if(sources AND name STREQUAL "base")
            target_precompile_headers(${target} PRIVATE ${LIFTORN_PRECOMPILED_HEADERS})
        elseif(sources)
            target_precompile_headers(${target} REUSE_FROM liftorn_base)
        endif()
    else()
        target_link_libraries(${target} ${scope} liftorn_native_flags)
    endif()
endfunction()
