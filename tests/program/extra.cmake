# The program runs as a user runs it: the real executable on a private X server,
# driven with xdotool, its sound recorded from the test null sink.
find_package(X11 REQUIRED)
target_link_libraries(test_program PRIVATE X11::X11)
add_dependencies(test_program tarnx Synthetic)
target_compile_definitions(test_program PRIVATE TARNX_EXECUTABLE="$<TARGET_FILE:tarnx>")
set(lock RESOURCE_LOCK pulse_null_sink)
