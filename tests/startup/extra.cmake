# The start-up tests load the English translation that the build compiles.
add_dependencies(test_startup translations)
target_compile_definitions(test_startup PRIVATE TARNX_TRANSLATION_FILE="${TARNX_RUN_DIR}/ClientApp_eng.qm")
