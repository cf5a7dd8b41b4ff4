# Text rendered with FreeType from the fonts Windows hands out, and the
# buttons, toggles and images built on it; their tests draw their own small
# PNG files and run on the virtual display.
target_sources(liftorn_app PRIVATE
    src/gui/font_face.cpp
    src/gui/text_layout.cpp
    src/gui/gui_text.cpp
    src/gui/gui_image.cpp
    src/gui/gui_button.cpp
    src/gui/gui_toggle.cpp
)
target_link_libraries(liftorn_app PUBLIC deps::freetype)

liftorn_test(gui_text_test SOURCES tests/gui/gui_text_test.cpp tests/gui/widget_test_support.cpp
    LIBRARIES liftorn_gui_test_support)
liftorn_test(gui_widgets_test SOURCES tests/gui/gui_widgets_test.cpp tests/gui/widget_test_support.cpp
    LIBRARIES liftorn_gui_test_support)
