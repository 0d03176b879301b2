#pragma once

#include "engine/dsp/Complex.h"

#include <atomic>

// Samples that several holders read at once without a copy: both channels queue the
// same receiver block, and a channel that cuts a long block into pieces queues views
// into it. Each holder owns one handle; the block's memory (malloc'd by its producer)
// is freed with the last handle, on whichever thread releases it.
class SharedSamples
{
public:
    // Takes over a malloc'd block of count samples with a first handle; null when no
    // handle can be allocated (the block then stays the caller's).
    static SharedSamples* adopt(void* block, int count);
    // Another handle on count samples from offset of this one; null when out of memory.
    SharedSamples* share(int offset, int count) const;
    // Gives up a handle (null is ignored); the last one frees the block.
    static void release(SharedSamples* handle);

    const Complex* samples() const { return first; }
    int count() const { return length; }

    SharedSamples(const SharedSamples&) = delete;
    SharedSamples& operator=(const SharedSamples&) = delete;

private:
    struct Block
    {
        std::atomic<int> holders;
        void* memory;
    };
    SharedSamples(Block* block, const Complex* first, int length) : block(block), first(first), length(length)
    {
    }
    ~SharedSamples() = default;

    Block* block;
    const Complex* first;
    int length;
};
