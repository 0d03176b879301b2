# The Mode S decoder fed arbitrary frames of any length, alone or behind the
# framer. Run with scripts/fuzz.sh, or alone:
#   build/fuzz/fuzz/fuzz_modes -max_total_time=30 tests/fuzz/seeds/modes
tarnx_fuzz_target(fuzz_modes
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/modes.cpp
  LIBS decoders)
