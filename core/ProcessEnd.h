#pragma once

// Ends the process with status once its own orderly end is done (event loop
// left, threads stopped, files written), without the exit handlers and static
// destructors of the libraries it loaded: Qt's PulseAudio back-end tears its
// sound-server connection down there against its own mainloop thread, and now
// and then aborts. Buffered standard output is written first; in a build with
// LeakSanitizer its leak check runs first too, and fails the process as it would
// at exit.
[[noreturn]] void endProcess(int status);
