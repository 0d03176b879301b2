// Feeds arbitrary bytes to the raw-RF block reader as a recording file: every
// block must be read or refused without reading or allocating beyond the input.
#include "QuietQt.h"
#include "engine/record/RfBlockReader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool silenced = (silenceQtMessages(), true);
    (void)silenced;
    if (size == 0)
        return 0;
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (file == nullptr)
        return 0;
    RfBlockReader reader(file);
    for (;;) {
        RfBlockHeader header;
        float* samples = nullptr;
        if (reader.next(&header, &samples) != RfBlockReader::Block)
            break;
        // Touch the last sample so that a short allocation would show.
        volatile float last = samples[2 * header.sample_count - 1];
        (void)last;
        std::free(samples);
    }
    std::fclose(file);
    return 0;
}
