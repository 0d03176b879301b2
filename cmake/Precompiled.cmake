# Precompiled headers: the system and Qt headers that nearly every file of the
# libraries and test programs would otherwise parse again, most of the build's
# time. TARNX_PCH=OFF leaves them out.
option(TARNX_PCH "Precompile the common system and Qt headers of the libraries and test programs" ON)

# tarnx_precompile_headers(<header> <targets>...)
# Compiles <header> (of cmake/precompiled/) for each target and puts it before
# every C++ file of the target.
function(tarnx_precompile_headers header)
  if(TARNX_PCH)
    foreach(target ${ARGN})
      target_precompile_headers(${target} PRIVATE
        "$<$<COMPILE_LANGUAGE:CXX>:${PROJECT_SOURCE_DIR}/cmake/precompiled/${header}>")
    endforeach()
  endif()
endfunction()

# tarnx_share_precompiled_headers(<owner> <targets>...)
# The targets use the header compiled for <owner> (which they must come after):
# with GCC its compiled form, which GCC takes only where every definition the
# owner was compiled with is the same (it reads the header itself otherwise, and
# warns, as that costs the time saved): the owner has none of its own, and the
# targets link all it links. clang refuses one made with other definitions, so
# there each target compiles its own.
function(tarnx_share_precompiled_headers owner)
  if(NOT TARNX_PCH)
    return()
  endif()
  # The export definition CMake gives a shared library (unused here).
  set_target_properties(${owner} PROPERTIES DEFINE_SYMBOL "")
  get_target_property(headers ${owner} PRECOMPILE_HEADERS)
  foreach(target ${ARGN})
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      target_precompile_headers(${target} REUSE_FROM ${owner})
      target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Winvalid-pch>)
    else()
      target_precompile_headers(${target} PRIVATE ${headers})
    endif()
  endforeach()
endfunction()
