#pragma once

// Leaks whose allocation stack lies in a system library (Qt and its platform
// plug-ins, fontconfig, D-Bus, PulseAudio) are not ours to mend: LeakSanitizer
// suppresses them in the test programs and in the program that the end-to-end
// tests start. A block our code allocates and loses is still reported.
inline constexpr const char* SystemLibraryLeaks = "leak:libQt5Core\n"
                                                  "leak:libQt5Gui\n"
                                                  "leak:libQt5Widgets\n"
                                                  "leak:libQt5Multimedia\n"
                                                  "leak:libQt5Network\n"
                                                  "leak:libQt5Sql\n"
                                                  "leak:libQt5Script\n"
                                                  "leak:libqoffscreen\n"
                                                  "leak:libqxcb\n"
                                                  "leak:libfontconfig\n"
                                                  "leak:libdbus\n"
                                                  "leak:libpulse\n"
                                                  "leak:libqtmedia_pulse\n";
