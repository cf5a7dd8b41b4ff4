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
