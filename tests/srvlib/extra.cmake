# The fake server peer, and a second run of every test under a French locale
# (decimal comma), where numbers on the wire must read and write the same.
target_link_libraries(test_srvlib PRIVATE fakeserver)
tarnx_add_test_groups(test_srvlib SUFFIX ".fr_FR" TIMEOUT 120
  ENVIRONMENT LC_ALL=fr_FR.UTF-8 QT_QPA_PLATFORM=offscreen TARNX_FIXTURES=${CMAKE_BINARY_DIR}/fixtures)
