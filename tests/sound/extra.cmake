# The receive chain with its receivers: no library above the back-ends.
set(test_libs hardware)
# The remote receiver's sound test talks to the fake server peer, scripted with
# the helper of the hardware tests.
target_link_libraries(test_sound PRIVATE fakeserver)
target_sources(test_sound PRIVATE ${PROJECT_SOURCE_DIR}/tests/hardware/RemoteTestServer.cpp)
