# Upload notifications: the toast windows, each on a thread of its own. The
# test runs real toasts on the virtual display with the skin beside the build.
target_sources(liftorn_app PRIVATE
    src/shell/toast_window.cpp
    src/shell/toast.cpp
)

liftorn_test(toast_test SOURCES tests/shell/toast_test.cpp
    LIBRARIES liftorn_gui_test_support)
add_dependencies(toast_test showcase)  # copies the skin beside the tests
