// Fuzz target of the stream frame parser. The first byte picks the stream kind
// and whether callbacks accept; the second the rhythm of the piece sizes; the
// rest is the stream, fed piece by piece as libcurl would.
#include "srvlib/StreamFrameParser.h"

#include <cstdlib>

namespace {

int takeSamples(int, std::complex<float>* samples, remote_rf_context*, void* accept)
{
    std::free(samples);
    return accept != nullptr ? 1 : 0;
}

int takeValues(int, float* values, remote_rf_context*, void* accept)
{
    std::free(values);
    return accept != nullptr ? 1 : 0;
}

int takeContext(remote_rf_context*, void* accept)
{
    return accept != nullptr ? 1 : 0;
}

int takeSession(int32_t, const char* payload, size_t length, void* accept)
{
    // Touch every byte: the payload must be fully readable.
    volatile char sum = 0;
    for (size_t i = 0; i < length; ++i)
        sum = char(sum + payload[i]);
    return accept != nullptr ? 1 : 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    static const StreamKind kinds[] = {StreamKind::IQ, StreamKind::Spectrum, StreamKind::Session};
    void* accept = (data[0] & 0x80) ? nullptr : reinterpret_cast<void*>(1);
    StreamHandlers handlers;
    handlers.iq = takeSamples;
    handlers.iqUser = accept;
    handlers.spectrum = takeValues;
    handlers.spectrumUser = accept;
    handlers.context = takeContext;
    handlers.contextUser = accept;
    handlers.session = takeSession;
    handlers.sessionUser = accept;
    StreamFrameParser parser(kinds[data[0] % 3], handlers);

    unsigned rhythm = data[1] | 1u;
    const char* bytes = reinterpret_cast<const char*>(data + 2);
    size_t left = size - 2;
    while (left > 0) {
        rhythm = rhythm * 1103515245u + 12345u;
        size_t piece = 1 + (rhythm >> 16) % 97;
        if (piece > left)
            piece = left;
        if (!parser.feed(bytes, piece))
            break;
        bytes += piece;
        left -= piece;
    }
    return 0;
}
