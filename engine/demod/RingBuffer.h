#pragma once

#include <cstddef>

// A ring of Capacity floats (a power of two). The read and write indices count modulo
// twice the capacity, so a full ring (indices Capacity apart) differs from an empty
// one (indices equal). A push onto a full ring overwrites the oldest value.
template <size_t Capacity> class RingBuffer
{
    static_assert(Capacity > 0 && (Capacity & (Capacity - 1)) == 0, "capacity must be a power of two");

public:
    bool isEmpty() const { return readIndex == writeIndex; }
    bool isFull() const { return distance() == Capacity; }
    size_t count() const { return distance(); }
    size_t capacity() const { return Capacity; }

    void push(float value)
    {
        if (isFull())
            readIndex = wrap(readIndex + 1);
        values[writeIndex & (Capacity - 1)] = value;
        writeIndex = wrap(writeIndex + 1);
    }

    // The oldest value; 0 from an empty ring.
    float pop()
    {
        if (isEmpty())
            return 0.0f;
        const float value = values[readIndex & (Capacity - 1)];
        readIndex = wrap(readIndex + 1);
        return value;
    }

private:
    static size_t wrap(size_t index) { return index & (2 * Capacity - 1); }
    size_t distance() const { return wrap(writeIndex - readIndex + 2 * Capacity); }

    float values[Capacity] = {};
    size_t readIndex = 0;
    size_t writeIndex = 0;
};
