#include "engine/dsp/FftwPlanLock.h"

std::mutex& fftwPlannerMutex()
{
    static std::mutex mutex;
    return mutex;
}
