# The terrain profile reads tiles written by the terrain tests' generator.
target_sources(test_mappanel PRIVATE ${PROJECT_SOURCE_DIR}/tests/map/SrtmTestTiles.cpp)
target_include_directories(test_mappanel PRIVATE ${PROJECT_SOURCE_DIR}/tests/map)
