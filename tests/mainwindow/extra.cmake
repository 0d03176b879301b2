# The window on a remote receiver talks to the fake server peer, scripted with
# the helpers of the hardware tests.
target_link_libraries(test_mainwindow PRIVATE fakeserver)
target_sources(test_mainwindow PRIVATE ${PROJECT_SOURCE_DIR}/tests/hardware/RemoteTestServer.cpp)
# The close with a driver that has a control panel of its own.
add_dependencies(test_mainwindow SyntheticPanel)
