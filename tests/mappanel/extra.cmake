# The terrain tests write SRTM tiles with the terrain tests' helper.
target_sources(test_mappanel PRIVATE ${PROJECT_SOURCE_DIR}/tests/map/SrtmTestTiles.cpp)
target_include_directories(test_mappanel PRIVATE ${PROJECT_SOURCE_DIR}/tests/map)
# The aircraft tests feed the Mode S decoder with generated frames.
target_link_libraries(test_mappanel PRIVATE decodersignals)
# The remote receiver's map talks to the fake server peer, scripted with the
# helpers of the hardware tests.
target_link_libraries(test_mappanel PRIVATE fakeserver)
target_sources(test_mappanel PRIVATE ${PROJECT_SOURCE_DIR}/tests/hardware/RemoteTestServer.cpp)
