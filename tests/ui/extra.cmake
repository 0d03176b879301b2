# The remote panels talk to the fake server peer, scripted with the helpers of
# the hardware tests.
target_link_libraries(test_ui PRIVATE fakeserver)
target_sources(test_ui PRIVATE ${PROJECT_SOURCE_DIR}/tests/hardware/RemoteTestServer.cpp)
