#include "engine/SampleBlockMemory.h"

#include <cstdlib> // defines __GLIBC__ on glibc systems

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
constexpr int kMapAbove = 32 << 20;  // blocks below this come from the heap (glibc's highest)
constexpr int kTrimAbove = 64 << 20; // free memory kept for reuse at the top of a heap
} // namespace

namespace SampleBlockMemory {

void keepBlocksInHeap()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, kMapAbove);
    mallopt(M_TRIM_THRESHOLD, kTrimAbove);
#endif
}

void returnFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace SampleBlockMemory
