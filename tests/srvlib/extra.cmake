# The fake server peer, and a second run of every test under a French locale
# (decimal comma), where numbers on the wire must read and write the same.
target_link_libraries(test_srvlib PRIVATE fakeserver)
gtest_discover_tests(test_srvlib
  TEST_SUFFIX ".fr_FR"
  DISCOVERY_TIMEOUT 120
  PROPERTIES TIMEOUT 120
    ENVIRONMENT "LC_ALL=fr_FR.UTF-8;QT_QPA_PLATFORM=offscreen;TARNX_FIXTURES=${CMAKE_BINARY_DIR}/fixtures")
