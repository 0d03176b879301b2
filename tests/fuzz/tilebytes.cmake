# The readers of tile bytes: pictures, "Cache-Control" values, expiry tables
# (scripts/fuzz.sh runs it).
tarnx_fuzz_target(fuzz_tilebytes SOURCES ${CMAKE_CURRENT_LIST_DIR}/tilebytes.cpp LIBS map)
