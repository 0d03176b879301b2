# The remote panels talk to the fake server peer.
target_link_libraries(test_ui_remote PRIVATE fakeserver)
