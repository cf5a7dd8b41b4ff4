# The toolkit showcase (a window with one of each widget, for looking and
# screenshots) and the paint benchmark built on the same window; neither is
# shipped. The skin is copied beside them so they find it as the program does.
add_library(liftorn_showcase_layout STATIC tools/showcase/showcase_layout.cpp)
target_include_directories(liftorn_showcase_layout PUBLIC tools)
target_link_libraries(liftorn_showcase_layout PUBLIC liftorn_app)

add_executable(showcase WIN32 tools/showcase/showcase.cpp)
target_link_libraries(showcase PRIVATE liftorn_showcase_layout)
target_link_options(showcase PRIVATE -static -municode)
add_custom_command(TARGET showcase POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/skin ${CMAKE_BINARY_DIR}/skin
    COMMENT "Copying the skin beside the programs")

add_executable(paint_bench tools/bench/paint_bench.cpp)
target_link_libraries(paint_bench PRIVATE liftorn_showcase_layout)
target_link_options(paint_bench PRIVATE -static -municode)
add_dependencies(paint_bench showcase)
