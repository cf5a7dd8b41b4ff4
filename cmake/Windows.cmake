# The Windows program, its resources and its tests (run under Wine).
enable_language(RC)
include(${CMAKE_CURRENT_LIST_DIR}/Dependencies.cmake)
find_package(Python3 COMPONENTS Interpreter REQUIRED)

# Icons are drawn by our own script at build time.
set(icon_dir ${CMAKE_BINARY_DIR}/icons)
set(icon_names liftorn.ico tray-normal.ico tray-uploading.ico tray-error.ico
    task-screenshot.ico task-windowgrab.ico)
list(TRANSFORM icon_names PREPEND ${icon_dir}/ OUTPUT_VARIABLE icon_files)
add_custom_command(
    OUTPUT ${icon_files}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make-icons.py ${icon_dir}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make-icons.py
    COMMENT "Drawing the icons")
set(resource_script ${CMAKE_SOURCE_DIR}/res/liftorn.rc)
set_source_files_properties(${resource_script} PROPERTIES
    OBJECT_DEPENDS "${icon_files};${CMAKE_SOURCE_DIR}/res/liftorn.manifest;${CMAKE_SOURCE_DIR}/res/resource_ids.h")
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${icon_dir} -I${CMAKE_SOURCE_DIR}/res")

set(windows_libraries user32 gdi32 shell32 ole32 comctl32 comdlg32 shlwapi advapi32 version)

# Everything of the program but its entry point, so tests can link it.
add_library(liftorn_app STATIC
    src/app/app_state.cpp
    src/app/command_line.cpp
    src/app/instance_handoff.cpp
    src/app/startup.cpp
    src/app/windows_version.cpp
    src/shell/register_types.cpp
)
target_include_directories(liftorn_app PUBLIC src res)
target_compile_definitions(liftorn_app PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
    _WIN32_WINNT=0x0601)
target_link_libraries(liftorn_app PUBLIC liftorn_portable ${windows_libraries})
target_compile_definitions(liftorn_portable PUBLIC UNICODE _UNICODE)

# The skin lives beside the program, as it will when installed.
file(GLOB_RECURSE skin_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/skin/*.png)
add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/skin.stamp
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/skin ${CMAKE_BINARY_DIR}/skin
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/skin.stamp
    DEPENDS ${skin_files}
    COMMENT "Copying the skin beside the programs")
add_custom_target(skin_copy DEPENDS ${CMAKE_BINARY_DIR}/skin.stamp)

add_executable(liftorn WIN32 src/app/main.cpp ${resource_script})
add_dependencies(liftorn skin_copy)
target_link_libraries(liftorn PRIVATE liftorn_app)
target_link_options(liftorn PRIVATE -static -municode)

# Tests. Each executable is one CTest test; Wine runs it through the
# cross-compiling emulator.
add_library(liftorn_test_support STATIC tests/support/temp_dir.cpp tests/support/process.cpp)
target_include_directories(liftorn_test_support PUBLIC tests)
target_link_libraries(liftorn_test_support PUBLIC liftorn_app deps::gtest deps::gmock)

function(liftorn_test name)
    cmake_parse_arguments(test "" "" "SOURCES;LIBRARIES;PROPERTIES" ${ARGN})
    add_executable(${name} ${test_SOURCES})
    target_link_libraries(${name} PRIVATE liftorn_test_support deps::gtest_main ${test_LIBRARIES})
    target_link_options(${name} PRIVATE -static)
    add_test(NAME ${name}
        COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-gtest.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
                $<TARGET_FILE:${name}> --liftorn=$<TARGET_FILE:liftorn>)
    set_tests_properties(${name} PROPERTIES TIMEOUT 180 ${test_PROPERTIES})
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/PortableTests.cmake)
foreach(test ${LIFTORN_PORTABLE_TESTS})
    get_filename_component(name ${test} NAME_WE)
    liftorn_test(${name} SOURCES ${test})
endforeach()

liftorn_test(resources_test SOURCES tests/app/resources_test.cpp ${resource_script})
# These publish the instance's window under its global name: one at a time.
liftorn_test(command_line_test SOURCES tests/app/command_line_test.cpp
    PROPERTIES RESOURCE_LOCK liftorn_instance)
liftorn_test(instance_handoff_test SOURCES tests/app/instance_handoff_test.cpp
    PROPERTIES RESOURCE_LOCK liftorn_instance)
liftorn_test(startup_test SOURCES tests/app/startup_test.cpp
    PROPERTIES RESOURCE_LOCK liftorn_instance)
add_dependencies(instance_handoff_test liftorn)
add_dependencies(startup_test liftorn)
include(${CMAKE_CURRENT_LIST_DIR}/upload.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/gui.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/zip.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/gui_widgets.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/gui_edit.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/gui_areas.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/showcase.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/toast.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/completion.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/history.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/main_window.cmake)

# The mouse pointer and the clipboard belong to the whole desktop: tests that
# move the one or fill the other run one at a time.
set_property(TEST toast_test gui_edit_test gui_text_test gui_widgets_test gui_history_item_test
    history_store_test main_window_test copy_url_test complete_upload_test
    APPEND PROPERTY RESOURCE_LOCK desktop)
include(${CMAKE_CURRENT_LIST_DIR}/bench_startup.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/pre_windows7.cmake)
