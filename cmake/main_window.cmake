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

# The whole road: the real program against a development service of its own.
liftorn_service_test(upload_road_test SOURCES tests/app/upload_road_test.cpp
    LIBRARIES deps::sqlite3)
set_property(TEST upload_road_test APPEND PROPERTY RESOURCE_LOCK liftorn_instance desktop)
add_dependencies(upload_road_test liftorn)
