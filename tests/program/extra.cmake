# The program runs as a user runs it: the real executable on a private X server,
# its sound recorded from the test null sink.
target_link_libraries(test_program PRIVATE programdriver)
add_dependencies(test_program tarnx Synthetic)
target_compile_definitions(test_program PRIVATE TARNX_EXECUTABLE="$<TARGET_FILE:tarnx>")
set(lock ${shared_sink})
# A start, a session and an orderly end of the sanitized program on a loaded machine.
set(test_timeout 600)
