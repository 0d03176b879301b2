# The terrain tests write SRTM tiles with the terrain tests' helper.
target_sources(test_mappanel PRIVATE ${PROJECT_SOURCE_DIR}/tests/map/SrtmTestTiles.cpp)
target_include_directories(test_mappanel PRIVATE ${PROJECT_SOURCE_DIR}/tests/map)
