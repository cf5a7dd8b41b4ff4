# The start-up probe for tools/bench-startup.sh: starts the program and takes
# its start-up time, memory and window count from outside. Not a test.
add_executable(startup_probe tools/bench/startup_probe.cpp)
target_link_libraries(startup_probe PRIVATE liftorn_app psapi)
target_link_options(startup_probe PRIVATE -static -municode)
add_dependencies(startup_probe liftorn)
