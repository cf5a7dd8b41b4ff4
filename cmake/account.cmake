# Account login, the daily update check, shell registration and the jump
# list, with their tests. The version rules and the login's decisions are
# platform-free and also run natively.
target_sources(liftorn_portable PRIVATE
    src/app/version_compare.cpp
    src/account/login_rules.cpp
)
set(account_portable_tests
    tests/app/version_compare_test.cpp
    tests/account/login_rules_test.cpp
)

if(NOT WIN32)
    foreach(test ${account_portable_tests})
        get_filename_component(name ${test} NAME_WE)
        add_executable(native_${name} ${test} tests/support/temp_dir.cpp)
        target_include_directories(native_${name} PRIVATE tests)
        target_link_libraries(native_${name} PRIVATE liftorn_portable GTest::gtest_main GTest::gmock)
        add_test(NAME native.${name} COMMAND native_${name})
    endforeach()
    return()
endif()

target_sources(liftorn_app PRIVATE
    src/base/user_prompt.cpp
    src/account/account_check.cpp
    src/app/login.cpp
    src/app/update_check.cpp
    src/app/recent_uploads.cpp
    src/app/settings_page.cpp
    src/shell/jump_list.cpp
)
target_link_libraries(liftorn_app PUBLIC propsys uuid)

foreach(test ${account_portable_tests})
    get_filename_component(name ${test} NAME_WE)
    liftorn_test(${name} SOURCES ${test})
endforeach()

liftorn_service_test(update_check_test SOURCES tests/app/update_check_test.cpp)

add_library(liftorn_shell_stand_ins STATIC tests/shell/shell_stand_ins.cpp)
target_link_libraries(liftorn_shell_stand_ins PUBLIC liftorn_test_support)
# The real road writes the prefix's classes root like every start of the program.
liftorn_test(shell_integration_test SOURCES tests/shell/shell_integration_test.cpp
    LIBRARIES liftorn_shell_stand_ins PROPERTIES RESOURCE_LOCK liftorn_instance)
add_dependencies(shell_integration_test liftorn)

liftorn_service_test(login_test SOURCES tests/app/login_test.cpp tests/gui/widget_test_support.cpp
    LIBRARIES liftorn_gui_test_support)

# The settings page on the real window and skin (copied beside the programs
# by the showcase target), driven with real input.
liftorn_test(settings_page_test SOURCES tests/app/settings_page_test.cpp ${resource_script}
    LIBRARIES liftorn_gui_test_support)
set_property(TEST settings_page_test APPEND PROPERTY RESOURCE_LOCK liftorn_instance desktop)
add_dependencies(settings_page_test showcase)

# The real program against a development service of its own.
liftorn_service_test(account_road_test SOURCES tests/app/account_road_test.cpp)
target_link_libraries(account_road_test PRIVATE shell32)
set_property(TEST account_road_test APPEND PROPERTY RESOURCE_LOCK liftorn_instance desktop)
set_tests_properties(account_road_test PROPERTIES TIMEOUT 420)
add_dependencies(account_road_test liftorn)
