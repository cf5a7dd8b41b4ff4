# The skinned GUI toolkit's core: skin catalogue, image loader, skinnable
# layered window, the widget base class and pages; and their tests, which draw
# their own small PNG files and run on the virtual display.
target_sources(liftorn_app PRIVATE
    src/gui/skin_catalogue.cpp
    src/gui/image_library.cpp
    src/gui/premultiply.cpp
    src/gui/dwm_api.cpp
    src/gui/argb_bitmap.cpp
    src/gui/skinnable_window.cpp
    src/gui/gui_object.cpp
    src/gui/gui_page.cpp
)
# dwmapi.dll is looked up at run time (Windows XP has none).
target_link_libraries(liftorn_app PUBLIC deps::devil msimg32)

target_sources(liftorn_test_support PRIVATE tests/support/png_writer.cpp)

add_library(liftorn_gui_test_support STATIC tests/gui/gui_test_support.cpp)
target_link_libraries(liftorn_gui_test_support PUBLIC liftorn_test_support)

liftorn_test(skin_catalogue_test SOURCES tests/gui/skin_catalogue_test.cpp)
liftorn_test(image_library_test SOURCES tests/gui/image_library_test.cpp)
liftorn_test(skinnable_window_test SOURCES tests/gui/skinnable_window_test.cpp
    LIBRARIES liftorn_gui_test_support)
liftorn_test(gui_object_test SOURCES tests/gui/gui_object_test.cpp
    LIBRARIES liftorn_gui_test_support)
liftorn_test(gui_page_test SOURCES tests/gui/gui_page_test.cpp
    LIBRARIES liftorn_gui_test_support)
