# Generated Mode S and Morse signals.
target_link_libraries(test_decoders PRIVATE decodersignals)
