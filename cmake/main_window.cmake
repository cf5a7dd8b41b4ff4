# The main window, its commands and the tray icon; the test builds the window
# from the real skin (copied beside the programs by the showcase target) and
# links the resources for the menus and icons.
target_sources(liftorn_app PRIVATE
    src/app/main_window.cpp
    src/app/main_commands.cpp
    src/app/tray_icon.cpp
)

liftorn_test(main_window_test SOURCES tests/app/main_window_test.cpp ${resource_script}
    LIBRARIES liftorn_gui_test_support
    PROPERTIES RESOURCE_LOCK liftorn_instance)
add_dependencies(main_window_test showcase)
