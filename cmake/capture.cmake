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
