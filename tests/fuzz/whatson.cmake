# The broadcast schedule service's answer read from arbitrary bytes
# (scripts/fuzz.sh runs it from seeds/whatson).
tarnx_fuzz_target(fuzz_whatson SOURCES ${CMAKE_CURRENT_LIST_DIR}/whatson.cpp LIBS decoders)
