# The scroll area (history list), the drop area and the progress bar's layout;
# their tests draw their own small PNG files and run on the virtual display.
target_sources(liftorn_app PRIVATE
    src/gui/gui_scroll_area.cpp
    src/gui/gui_drop_area.cpp
    src/gui/progress_bar.cpp
)

liftorn_test(gui_scroll_area_test SOURCES tests/gui/gui_scroll_area_test.cpp
    LIBRARIES liftorn_gui_test_support)
liftorn_test(gui_drop_area_test SOURCES tests/gui/gui_drop_area_test.cpp
    LIBRARIES liftorn_gui_test_support)
