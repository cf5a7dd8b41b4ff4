# Folder archives for upload: a small layer on minizip, its tests and a
# benchmark against Info-ZIP's zip (tools/bench-zip.sh).
target_sources(liftorn_app PRIVATE
    src/upload/zip_archive.cpp
    src/upload/zip_deflater.cpp
    src/upload/zip_write_buffer.cpp
)
target_link_libraries(liftorn_app PUBLIC deps::minizip deps::zlib)

# The Wine test leaves its archives and their source tree in zip-out (as a
# Windows path, Z: being the Linux root); zip_real_tools then checks them
# with unzip and Python's zipfile on Linux. The 4 GiB case (Zip64) takes
# half a minute, so it runs as a test of its own, labelled slow.
set(zip_out ${CMAKE_BINARY_DIR}/zip-out)
string(REPLACE "/" "\\" zip_out_windows "Z:${zip_out}")
set(zip_large_case "ZipArchive.AFileOfFourGibibytes*")
liftorn_test(zip_archive_test SOURCES tests/upload/zip_archive_test.cpp)
set_tests_properties(zip_archive_test PROPERTIES
    ENVIRONMENT "LIFTORN_ZIP_OUT=${zip_out_windows};GTEST_FILTER=-${zip_large_case}"
    FIXTURES_SETUP zip_archives)
add_test(NAME zip_real_tools
    COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/upload/check_zip_tools.py ${zip_out})
set_tests_properties(zip_real_tools PROPERTIES FIXTURES_REQUIRED zip_archives TIMEOUT 120)
add_test(NAME zip_archive_large_test COMMAND zip_archive_test --gtest_filter=${zip_large_case})
set_tests_properties(zip_archive_large_test PROPERTIES TIMEOUT 300 LABELS slow)

add_executable(zip_bench tools/bench/zip_bench.cpp)
target_link_libraries(zip_bench PRIVATE liftorn_app)
target_link_options(zip_bench PRIVATE -static -municode)
