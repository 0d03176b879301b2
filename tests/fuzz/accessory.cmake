# The accessory message parser fed arbitrary bytes (scripts/fuzz.sh runs it).
tarnx_fuzz_target(fuzz_accessory SOURCES ${CMAKE_CURRENT_LIST_DIR}/accessory.cpp LIBS hardware)
