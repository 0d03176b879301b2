# The points-of-interest file reader fed arbitrary bytes (scripts/fuzz.sh runs it).
tarnx_fuzz_target(fuzz_poiloader SOURCES ${CMAKE_CURRENT_LIST_DIR}/poiloader.cpp LIBS map)
