# The upload queue and its worker, the HTTP transport, and their tests, which
# run against a private development service (scripts/with-devservice.sh).
target_sources(liftorn_app PRIVATE
    src/upload/http_transport.cpp
    src/upload/upload_form.cpp
    src/upload/upload_queue.cpp
)
target_link_libraries(liftorn_app PUBLIC deps::curl winhttp)

target_sources(liftorn_test_support PRIVATE tests/support/devservice.cpp)
target_link_libraries(liftorn_test_support PUBLIC bcrypt)

# Like liftorn_test, but the test runs next to a development service of its
# own, whose address reaches the Wine process through the environment.
function(liftorn_service_test name)
    cmake_parse_arguments(test "" "" "SOURCES;LIBRARIES;PROPERTIES" ${ARGN})
    add_executable(${name} ${test_SOURCES})
    target_link_libraries(${name} PRIVATE liftorn_test_support deps::gtest_main ${test_LIBRARIES})
    target_link_options(${name} PRIVATE -static)
    add_test(NAME ${name}
        COMMAND ${CMAKE_SOURCE_DIR}/scripts/with-devservice.sh ${CMAKE_SOURCE_DIR}/scripts/check-gtest.sh
                ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}> --liftorn=$<TARGET_FILE:liftorn>)
    set_tests_properties(${name} PROPERTIES TIMEOUT 300 ${test_PROPERTIES})
endfunction()

liftorn_service_test(http_transport_test SOURCES tests/upload/http_transport_test.cpp)
liftorn_service_test(upload_form_test SOURCES tests/upload/upload_form_test.cpp)
liftorn_service_test(upload_queue_test SOURCES tests/upload/upload_queue_test.cpp)
liftorn_service_test(folder_upload_test SOURCES tests/upload/folder_upload_test.cpp)

# Throughput of the worker against the curl command line: tools/bench-upload.sh.
add_executable(upload_bench tools/bench/upload_bench.cpp)
target_link_libraries(upload_bench PRIVATE liftorn_app)
target_link_options(upload_bench PRIVATE -static)
