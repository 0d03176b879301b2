# The stream frame parser fed arbitrary bytes in arbitrary pieces.
# Run with scripts/fuzz.sh (bounded by TARNX_FUZZ_SECONDS), or alone:
#   build/fuzz/fuzz/fuzz_frameparser -max_total_time=30 tests/fuzz/seeds/frameparser
tarnx_fuzz_target(fuzz_frameparser
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/frameparser.cpp
  LIBS srvlib)
