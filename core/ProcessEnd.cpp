#include "core/ProcessEnd.h"

#include <cstdio>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNX_LEAK_CHECK 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TARNX_LEAK_CHECK 1
#endif

#ifdef TARNX_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

void endProcess(int status)
{
    std::fflush(nullptr);
#ifdef TARNX_LEAK_CHECK
    // _exit skips the check LeakSanitizer runs at exit: it reports and ends
    // the process with its own status when something is lost.
    __lsan_do_leak_check();
#endif
    _exit(status);
}
