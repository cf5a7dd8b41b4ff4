# The real program in a Wine prefix of its own that reports Windows XP: the
# branches for systems before Windows 7 (tray icon, no shortcut files).
add_executable(pre_windows7_probe tests/app/pre_windows7_probe.cpp)
target_link_libraries(pre_windows7_probe PRIVATE liftorn_test_support)
target_link_options(pre_windows7_probe PRIVATE -static)

add_test(NAME pre_windows7_test
    COMMAND ${CMAKE_SOURCE_DIR}/tests/app/pre_windows7_test.sh
            $<TARGET_FILE:liftorn> $<TARGET_FILE:pre_windows7_probe> ${CMAKE_BINARY_DIR}/wine-xp)
# Creating the prefix the first time takes most of the time.
set_tests_properties(pre_windows7_test PROPERTIES TIMEOUT 240 RESOURCE_LOCK desktop)
add_dependencies(pre_windows7_probe liftorn)
