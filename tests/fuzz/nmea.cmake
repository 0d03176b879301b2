# The NMEA sentence parser fed arbitrary bytes (scripts/fuzz.sh runs it).
tarnx_fuzz_target(fuzz_nmea SOURCES ${CMAKE_CURRENT_LIST_DIR}/nmea.cpp LIBS map)
