#include "engine/SharedSamples.h"

#include <cstdlib>
#include <new>

SharedSamples* SharedSamples::adopt(void* memory, int count)
{
    Block* block = new (std::nothrow) Block{{1}, memory};
    if (block == nullptr)
        return nullptr;
    auto* handle = new (std::nothrow) SharedSamples(block, static_cast<const Complex*>(memory), count);
    if (handle == nullptr)
        delete block;
    return handle;
}

SharedSamples* SharedSamples::share(int offset, int count) const
{
    auto* handle = new (std::nothrow) SharedSamples(block, first + offset, count);
    if (handle != nullptr)
        block->holders.fetch_add(1, std::memory_order_relaxed);
    return handle;
}

void SharedSamples::release(SharedSamples* handle)
{
    if (handle == nullptr)
        return;
    Block* block = handle->block;
    delete handle;
    // The last holder sees every other holder's reads done before it frees the memory.
    if (block->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        std::free(block->memory);
        delete block;
    }
}
