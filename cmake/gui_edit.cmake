# The edit box widget: its Win32-free model, geometry and pixel helpers live
# in liftorn_portable; the widget itself and its tests on the virtual display.
target_sources(liftorn_app PRIVATE
    src/gui/gui_edit.cpp
)

liftorn_test(gui_edit_test SOURCES tests/gui/gui_edit_test.cpp tests/gui/widget_test_support.cpp
    LIBRARIES liftorn_gui_test_support)
