#pragma once

// The whole life of the program, from the application object to the end of the
// event loop; main() only calls it.
int runApplication(int argc, char** argv);
