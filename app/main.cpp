#include "app/startup/Startup.h"
#include "core/ProcessEnd.h"

int main(int argc, char** argv)
{
    // Once the program's own end is done, the process ends without the sound
    // library's exit-time teardown, which can abort (see core/ProcessEnd.h).
    endProcess(runApplication(argc, argv));
}
