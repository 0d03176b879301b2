# tarnx_library(<name> [DEPS <targets>...])
# Builds every source file of the calling folder (recursively, but not of a
# subfolder with a CMakeLists.txt of its own: that is another library) into one
# shared library named <name>. Headers are found from the project root ("engine/SampleFifo.h")
# and from the folder itself. A folder without sources yet gives an interface
# library, so that its dependents link the same way from the first day.
function(tarnx_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c
    ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  file(GLOB_RECURSE nested_libraries CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  foreach(nested ${nested_libraries})
    get_filename_component(nested_dir ${nested} DIRECTORY)
    list(FILTER sources EXCLUDE REGEX "^${nested_dir}/")
  endforeach()
  set(has_code FALSE)
  foreach(f ${sources})
    if(f MATCHES "\\.(cpp|c)$")
      set(has_code TRUE)
    endif()
  endforeach()
  if(has_code)
    add_library(${name} SHARED ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    tarnx_rerun_moc_on_new_files(${name} "${sources}")
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# With Ninja, the moc step only watches the files it has already seen, so a file
# that a new glob brings in would get no moc code. When the file list changes,
# the moc step's timestamp is removed so that it runs again.
function(tarnx_rerun_moc_on_new_files target sources)
  set(listing_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_sources.txt)
  set(previous "")
  if(EXISTS ${listing_file})
    file(READ ${listing_file} previous)
  endif()
  if(NOT previous STREQUAL "${sources}")
    file(WRITE ${listing_file} "${sources}")
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
  endif()
endfunction()
