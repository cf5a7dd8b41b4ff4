# Captures: region screenshots, window grabs, the capture prompt and the
# window-grab helper program. The Win32-free core (selection, overlay pixels,
# two-copy alpha, names, raw block) is in liftorn_portable and tested in both
# builds; the rest is Windows only.
target_sources(liftorn_portable PRIVATE
    src/capture/region_selection.cpp
    src/capture/overlay_canvas.cpp
    src/capture/two_copy_alpha.cpp
    src/capture/raw_image.cpp
    src/capture/capture_names.cpp
    src/capture/grab_outline.cpp
)
set(capture_portable_tests
    tests/capture/region_selection_test.cpp
    tests/capture/overlay_canvas_test.cpp
    tests/capture/two_copy_alpha_test.cpp
    tests/capture/capture_names_test.cpp
)

if(NOT WIN32)
    foreach(test ${capture_portable_tests})
        get_filename_component(name ${test} NAME_WE)
        add_executable(native_${name} ${test})
        target_include_directories(native_${name} PRIVATE tests)
        target_link_libraries(native_${name} PRIVATE liftorn_portable GTest::gtest_main)
        add_test(NAME native.${name} COMMAND native_${name})
    endforeach()
    return()
endif()

foreach(test ${capture_portable_tests})
    get_filename_component(name ${test} NAME_WE)
    liftorn_test(${name} SOURCES ${test})
endforeach()

# Saving: the image library for PNG and JPEG, giflib for GIF.
target_sources(liftorn_app PRIVATE
    src/capture/gif_writer.cpp
    src/capture/capture_save.cpp
)
target_link_libraries(liftorn_app PUBLIC deps::gif)
# The saved files are also shown to ImageMagick, on the Linux side.
add_executable(capture_save_test tests/capture/capture_save_test.cpp)
target_link_libraries(capture_save_test PRIVATE liftorn_test_support deps::gtest_main)
target_link_options(capture_save_test PRIVATE -static)
add_test(NAME capture_save_test
    COMMAND ${CMAKE_SOURCE_DIR}/tests/capture/identify_captures.sh
            ${CMAKE_SOURCE_DIR}/scripts/check-gtest.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
            $<TARGET_FILE:capture_save_test>)
set_tests_properties(capture_save_test PROPERTIES TIMEOUT 180)

# The window-grab helper, a program of its own placed beside liftorn.exe, and
# its caller. capture_target shows the windows that the capture tests grab,
# from a process of its own.
target_sources(liftorn_app PRIVATE src/capture/helper_client.cpp)
add_executable(vlt_helper WIN32 src/capture/vlt_helper_main.cpp)
set_target_properties(vlt_helper PROPERTIES OUTPUT_NAME vlt-helper)
target_include_directories(vlt_helper PRIVATE src)
target_compile_definitions(vlt_helper PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
target_link_options(vlt_helper PRIVATE -static -municode)
add_dependencies(liftorn vlt_helper)

add_executable(capture_target WIN32 tests/capture/capture_target.cpp)
target_include_directories(capture_target PRIVATE tests)
target_compile_definitions(capture_target PRIVATE UNICODE _UNICODE _WIN32_WINNT=0x0601)
target_link_options(capture_target PRIVATE -static -municode)

liftorn_test(helper_test SOURCES tests/capture/helper_test.cpp)
add_dependencies(helper_test vlt_helper capture_target)

# The black and white backdrop of transparent window grabs.
target_sources(liftorn_app PRIVATE src/capture/backdrop_window.cpp)
liftorn_test(backdrop_test SOURCES tests/capture/backdrop_test.cpp
    LIBRARIES liftorn_gui_test_support PROPERTIES RESOURCE_LOCK desktop)
add_dependencies(backdrop_test capture_target)

# The capture itself: overlay thread, window grab, prompt, post-capture
# command, and the commands of the main window that start it.
target_sources(liftorn_app PRIVATE
    src/capture/window_task.cpp
    src/capture/overlay_widgets.cpp
    src/capture/capture_overlay.cpp
    src/capture/capture_selection.cpp
    src/capture/window_grab.cpp
    src/capture/capture_prompt.cpp
    src/capture/post_capture_command.cpp
    src/app/capture_commands.cpp
)

add_library(liftorn_capture_test_support STATIC tests/capture/capture_test_support.cpp)
target_link_libraries(liftorn_capture_test_support PUBLIC liftorn_gui_test_support)
liftorn_test(capture_overlay_test SOURCES tests/capture/capture_overlay_test.cpp
    LIBRARIES liftorn_capture_test_support PROPERTIES RESOURCE_LOCK desktop)
add_dependencies(capture_overlay_test showcase)  # copies the skin beside the tests
liftorn_test(capture_prompt_test SOURCES tests/capture/capture_prompt_test.cpp
    LIBRARIES liftorn_capture_test_support PROPERTIES RESOURCE_LOCK desktop)
add_dependencies(capture_prompt_test showcase capture_target)

# Captures end to end: the real program against a development service of its
# own, driven by real input on the desktop.
# Window grabs run with a compositor, so that layered windows blend on screen.
add_executable(capture_road_test tests/capture/capture_road_test.cpp)
target_link_libraries(capture_road_test PRIVATE liftorn_test_support deps::gtest_main deps::sqlite3)
target_link_options(capture_road_test PRIVATE -static)
add_dependencies(capture_road_test liftorn capture_target showcase)
set(capture_road_command ${CMAKE_SOURCE_DIR}/scripts/with-devservice.sh
    ${CMAKE_SOURCE_DIR}/scripts/check-gtest.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
    $<TARGET_FILE:capture_road_test> --liftorn=$<TARGET_FILE:liftorn>)
add_test(NAME capture_road_test COMMAND ${capture_road_command} --gtest_filter=*.Region*)
add_test(NAME capture_grab_road_test
    COMMAND ${CMAKE_SOURCE_DIR}/tests/capture/with-compositor.sh ${capture_road_command}
            --gtest_filter=*.WindowGrab*)
set_tests_properties(capture_road_test capture_grab_road_test PROPERTIES
    TIMEOUT 300 RESOURCE_LOCK "liftorn_instance;desktop")
