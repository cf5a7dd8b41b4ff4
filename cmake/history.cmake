# The upload history: the SQLite store, the list items with their thumbnails
# and the start-up loading; their tests run on the virtual display.
target_sources(liftorn_app PRIVATE
    src/history/history_store.cpp
    src/history/gui_history_item.cpp
    src/history/history_list.cpp
    src/history/history_prompt.cpp
    src/history/history_views.cpp
    src/history/thumbnail_loader.cpp
)
# Built with SQLITE_THREADSAFE=1 (serialized): the upload worker and the main
# thread share one connection.
target_link_libraries(liftorn_app PUBLIC deps::sqlite3)

add_library(liftorn_history_test_support STATIC tests/history/history_test_support.cpp)
target_link_libraries(liftorn_history_test_support PUBLIC liftorn_gui_test_support)

liftorn_test(history_store_test SOURCES tests/history/history_store_test.cpp
    LIBRARIES liftorn_history_test_support)
liftorn_test(history_list_test SOURCES tests/history/history_list_test.cpp
    LIBRARIES liftorn_history_test_support)
liftorn_test(gui_history_item_test
    SOURCES tests/history/gui_history_item_test.cpp tests/gui/widget_test_support.cpp
    LIBRARIES liftorn_history_test_support)

# The real program against a development service that serves thumbnails
# declaring huge sides.
liftorn_service_test(oversized_thumbnail_test SOURCES tests/history/oversized_thumbnail_test.cpp
    LIBRARIES deps::sqlite3)
set_property(TEST oversized_thumbnail_test APPEND PROPERTY RESOURCE_LOCK liftorn_instance)
add_dependencies(oversized_thumbnail_test liftorn)
