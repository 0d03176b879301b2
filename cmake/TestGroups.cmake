# tarnx_add_test_groups(<target> [SUFFIX <s>] [TIMEOUT <seconds per case>]
#                       [RESOURCE_LOCK <name>] [ENVIRONMENT <VAR=value>...])
# Registers a gtest program with CTest as one test per group of at most
# kTestGroupSize cases of one suite ("Suite.1", "Suite.2", ...; "Suite" when one
# group holds the whole suite), each running its cases in one process with
# --gtest_filter. Starting a sanitized Qt test program costs about a second of
# CPU, so one process per case doubled the suite's time; gtest still names each
# failing case in the output. The groups are listed after each build from the
# program itself (--gtest_list_tests), as gtest_discover_tests does.
set(kTestGroupSize 8)
# Suites whose cases each need a process of their own (process-wide state that
# one case sets up for good) run one case per process; tests/CMakeLists.txt
# names them in TARNX_ISOLATED_SUITES.

function(tarnx_add_test_groups target)
  cmake_parse_arguments(ARG "" "SUFFIX;TIMEOUT;RESOURCE_LOCK" "ENVIRONMENT" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  string(MAKE_C_IDENTIFIER "${target}${ARG_SUFFIX}" id)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${id}_groups.cmake)
  set(include_file ${CMAKE_CURRENT_BINARY_DIR}/${id}_include.cmake)
  string(REPLACE ";" "," isolated "${TARNX_ISOLATED_SUITES}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -D program=$<TARGET_FILE:${target}> -D list_file=${list_file}
      -D suffix=${ARG_SUFFIX} -D group_size=${kTestGroupSize} -D case_timeout=${ARG_TIMEOUT}
      -D work_dir=${CMAKE_CURRENT_BINARY_DIR} -D isolated=${isolated}
      -P ${PROJECT_SOURCE_DIR}/cmake/TestGroupsList.cmake
    BYPRODUCTS ${list_file}
    VERBATIM)
  # Properties shared by every group, written here where the environment list
  # is still whole.
  set(shared "")
  if(ARG_RESOURCE_LOCK)
    string(APPEND shared " RESOURCE_LOCK ${ARG_RESOURCE_LOCK}")
  endif()
  if(ARG_ENVIRONMENT)
    string(APPEND shared " ENVIRONMENT [==[${ARG_ENVIRONMENT}]==]")
  endif()
  set(apply_shared "")
  if(shared)
    set(apply_shared "  set_tests_properties(\${groups} PROPERTIES${shared})\n")
  endif()
  file(WRITE ${include_file}
    "if(EXISTS [==[${list_file}]==])\n"
    "  include([==[${list_file}]==])\n"
    "${apply_shared}"
    "else()\n"
    "  add_test(${id}_NOT_BUILT ${id}_NOT_BUILT)\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include_file})
endfunction()
