# The remote panels talk to the fake server peer.
target_link_libraries(test_ui_remote PRIVATE fakeserver)
# The panels attached to a real engine use the hardware tests' scripted remote receiver.
target_sources(test_ui_remote PRIVATE ${PROJECT_SOURCE_DIR}/tests/hardware/RemoteTestServer.cpp)
