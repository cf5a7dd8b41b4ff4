# The start-up probe for tools/bench-startup.sh: starts the program and takes
# its start-up time, memory and window count from outside. Not a test.
add_executable(startup_probe tools/bench/startup_probe.cpp)
target_link_libraries(startup_probe PRIVATE liftorn_app psapi)
target_link_options(startup_probe PRIVATE -static -municode)
add_dependencies(startup_probe liftorn)

# The scrolling figures of tools/bench-startup.sh: the main window's history
# list scrolled from the newest entry to the oldest. Not a test.
add_executable(scroll_bench tools/bench/scroll_bench.cpp)
target_link_libraries(scroll_bench PRIVATE liftorn_app)
target_link_options(scroll_bench PRIVATE -static -municode)
add_dependencies(scroll_bench liftorn)
