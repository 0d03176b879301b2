# The terrain tests write SRTM tiles with the terrain tests' helper.
target_sources(test_mappanel PRIVATE ${PROJECT_SOURCE_DIR}/tests/map/SrtmTestTiles.cpp)
target_include_directories(test_mappanel PRIVATE ${PROJECT_SOURCE_DIR}/tests/map)
# The aircraft tests feed the Mode S decoder with generated frames.
target_link_libraries(test_mappanel PRIVATE decodersignals)
