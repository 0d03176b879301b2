# The raw-RF block reader on arbitrary recording files (scripts/fuzz.sh runs it).
tarnx_fuzz_target(fuzz_rawrf SOURCES ${CMAKE_CURRENT_LIST_DIR}/rawrf.cpp LIBS engine)
