# The receive chain with its receivers: no library above the back-ends.
set(test_libs hardware)
