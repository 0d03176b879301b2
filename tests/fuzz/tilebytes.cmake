# The readers of tile bytes (scripts/fuzz.sh runs them): pictures and
# "Cache-Control" values from a tile server, and the tile cache's expiry table.
tarnx_fuzz_target(fuzz_tilebytes SOURCES ${CMAKE_CURRENT_LIST_DIR}/tilebytes.cpp LIBS map)
tarnx_fuzz_target(fuzz_tileexpiry SOURCES ${CMAKE_CURRENT_LIST_DIR}/tileexpiry.cpp LIBS map)
