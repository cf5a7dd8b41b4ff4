# Completing an upload: the clipboard copy with link shortening and the
# statistics ping, with their tests against the development service. The
# texts derived from the reply are platform-free (liftorn_portable).
target_sources(liftorn_app PRIVATE
    src/upload/copy_url.cpp
    src/upload/statistics_ping.cpp
    src/upload/complete_upload.cpp
)

liftorn_service_test(copy_url_test SOURCES tests/upload/copy_url_test.cpp)
liftorn_service_test(statistics_ping_test SOURCES tests/upload/statistics_ping_test.cpp)
liftorn_service_test(complete_upload_test SOURCES tests/upload/complete_upload_test.cpp
    LIBRARIES liftorn_history_test_support)
