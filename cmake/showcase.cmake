# The toolkit showcase (a window with one of each widget, for looking and
# screenshots) and the paint benchmark built on the same window; neither is
# shipped. They find the skin beside them, as the program does.
add_library(liftorn_showcase_layout STATIC tools/showcase/showcase_layout.cpp)
target_include_directories(liftorn_showcase_layout PUBLIC tools)
target_link_libraries(liftorn_showcase_layout PUBLIC liftorn_app)

add_executable(showcase WIN32 tools/showcase/showcase.cpp)
target_link_libraries(showcase PRIVATE liftorn_showcase_layout)
target_link_options(showcase PRIVATE -static -municode)
add_dependencies(showcase skin_copy)

add_executable(paint_bench tools/bench/paint_bench.cpp)
target_link_libraries(paint_bench PRIVATE liftorn_showcase_layout)
target_link_options(paint_bench PRIVATE -static -municode)
add_dependencies(paint_bench showcase)
