# The start-up tests load the English translation that the build compiles.
add_dependencies(test_startup translations)
target_compile_definitions(test_startup PRIVATE TARNX_TRANSLATION_FILE="${TARNX_RUN_DIR}/ClientApp_eng.qm")
# The remote start-up talks to the fake server peer, scripted with the helpers
# of the hardware tests.
target_link_libraries(test_startup PRIVATE fakeserver)
target_sources(test_startup PRIVATE ${PROJECT_SOURCE_DIR}/tests/hardware/RemoteTestServer.cpp)
# The whole second phase starts the program's sound output on the default
# device: it plays into the shared null sink, with the sound tests.
set(lock ${shared_sink})
