# Tests of the platform-free code: run natively under the sanitizers and, in
# the Windows build, under Wine (where wchar_t has 16 bits).
set(LIFTORN_PORTABLE_TESTS
    tests/app/utf_test.cpp
    tests/config/settings_store_test.cpp
    tests/config/settings_file_test.cpp
    tests/upload/json_reader_test.cpp
    tests/upload/proxy_text_test.cpp
    tests/upload/completion_texts_test.cpp
    tests/account/sha1_test.cpp
    tests/gui/edit_model_test.cpp
    tests/gui/edit_layout_test.cpp
    tests/gui/edit_canvas_test.cpp
    tests/gui/scroll_geometry_test.cpp
    tests/history/history_date_test.cpp tests/history/thumbnail_fit_test.cpp tests/history/thumbnail_check_test.cpp
    tests/history/history_row_test.cpp
    tests/shell/toast_geometry_test.cpp
)
