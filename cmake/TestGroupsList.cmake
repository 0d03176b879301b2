# Run after a test program is built (see TestGroups.cmake): lists its cases and
# writes one add_test() per group of at most group_size cases of one suite.
cmake_policy(SET CMP0057 NEW) # if(... IN_LIST ...)

execute_process(COMMAND ${program} --gtest_list_tests
  WORKING_DIRECTORY ${work_dir}
  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE status TIMEOUT 120)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${program} --gtest_list_tests failed (${status}):\n${listing}\n${errors}")
endif()

set(out "set(groups \"\")\n")
set(suite "")
set(cases "")
string(REPLACE "," ";" isolated_suites "${isolated}")
macro(flush_suite)
  list(LENGTH cases count)
  set(size ${group_size})
  if(suite IN_LIST isolated_suites)
    set(size 1)
  endif()
  if(count GREATER 0)
    math(EXPR group_count "(${count} + ${size} - 1) / ${size}")
    # Groups of nearly equal size.
    math(EXPR per_group "(${count} + ${group_count} - 1) / ${group_count}")
    set(index 0)
    set(group 1)
    while(index LESS count)
      list(SUBLIST cases ${index} ${per_group} members)
      list(LENGTH members n)
      list(TRANSFORM members PREPEND "${suite}.")
      string(JOIN ":" filter ${members})
      if(group_count EQUAL 1)
        set(name "${suite}${suffix}")
      else()
        set(name "${suite}.${group}${suffix}")
      endif()
      math(EXPR timeout "${case_timeout} * ${n}")
      string(APPEND out
        "add_test([==[${name}]==] [==[${program}]==] [==[--gtest_filter=${filter}]==])\n"
        "set_tests_properties([==[${name}]==] PROPERTIES WORKING_DIRECTORY [==[${work_dir}]==] TIMEOUT ${timeout})\n"
        "list(APPEND groups [==[${name}]==])\n")
      math(EXPR index "${index} + ${n}")
      math(EXPR group "${group} + 1")
    endwhile()
  endif()
  set(cases "")
endmacro()

string(REPLACE "\n" ";" lines "${listing}")
foreach(line IN LISTS lines)
  # Drop the "# TypeParam = ..." / "# GetParam() = ..." comments.
  string(REGEX REPLACE " *#.*$" "" line "${line}")
  if(line MATCHES "^  ([^ ]+)$")
    list(APPEND cases "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^([^ ]+)\\.$")
    flush_suite()
    set(suite "${CMAKE_MATCH_1}")
  endif()
endforeach()
flush_suite()
file(WRITE ${list_file} "${out}")
