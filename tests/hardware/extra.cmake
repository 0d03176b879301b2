# The loader tests load the synthetic driver libraries. Their folder is compiled
# in: the discovered tests get only the first entry of the environment list the
# test frame sets, so TARNX_FIXTURES is not seen under CTest.
add_dependencies(test_hardware Synthetic SyntheticMissing SyntheticType0 SyntheticMulti)
target_compile_definitions(test_hardware PRIVATE SYNTHETIC_DRIVER_DIR="${CMAKE_BINARY_DIR}/fixtures")
# The remote receiver, discovery and selection dialog tests talk to the fake server peer.
target_link_libraries(test_hardware PRIVATE fakeserver)
