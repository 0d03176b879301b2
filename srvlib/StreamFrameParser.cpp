#include "StreamFrameParser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const size_t kHeaderSize = 48;
const size_t kFormatSize = 24;
const size_t kBlockBSize = 16;
const size_t kTrailerSize = 42;

const int32_t kTypeIQ = 0;
const int32_t kTypeSpectrum = 5;
const int32_t kFormatInt16 = 4;
const int32_t kFormatInt8 = 5;

uint32_t readU32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int32_t readI32(const unsigned char* p)
{
    return int32_t(readU32(p));
}

int64_t readI64(const unsigned char* p)
{
    return int64_t(uint64_t(readU32(p)) | uint64_t(readU32(p + 4)) << 32);
}

float readFloat(const unsigned char* p)
{
    uint32_t bits = readU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

int16_t readI16(const unsigned char* p)
{
    return int16_t(uint16_t(p[0]) | uint16_t(p[1]) << 8);
}

} // namespace

StreamFrameParser::StreamFrameParser(StreamKind kind, const StreamHandlers& handlers)
    : m_kind(kind), m_handlers(handlers)
{
}

bool StreamFrameParser::feed(const char* data, size_t size)
{
    // Copies what fits, decodes, and repeats: every part is smaller than the
    // buffer, so each round leaves room for more.
    while (size > 0) {
        size_t n = std::min(size, kBufferSize - m_fill);
        if (m_buffer.size() < m_fill + n) {
            // Grows with what the stream holds back, doubling, up to kBufferSize.
            m_buffer.resize(std::min(kBufferSize, std::max(m_fill + n, 2 * m_buffer.size())));
        }
        std::memcpy(m_buffer.data() + m_fill, data, n);
        m_fill += n;
        data += n;
        size -= n;
        if (!parseBuffered())
            return false;
        // Keep only the incomplete part, at the start of the buffer.
        std::memmove(m_buffer.data(), m_buffer.data() + m_read, m_fill - m_read);
        m_fill -= m_read;
        m_read = 0;
    }
    return true;
}

size_t StreamFrameParser::partSize() const
{
    switch (m_part) {
    case Part::Header:
        return kHeaderSize;
    case Part::Format:
        return kFormatSize;
    case Part::BlockB:
        return kBlockBSize;
    case Part::Payload:
        return m_payloadLength;
    case Part::Trailer:
        return kTrailerSize;
    }
    return kHeaderSize;
}

bool StreamFrameParser::parseBuffered()
{
    while (m_fill - m_read >= partSize()) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(m_buffer.data()) + m_read;
        m_read += partSize();
        switch (m_part) {
        case Part::Header:
            if (!takeHeader(p))
                return false;
            m_part = m_frameHasFormat ? Part::Format : Part::BlockB;
            break;
        case Part::Format:
            takeFormat(p);
            m_part = Part::BlockB;
            break;
        case Part::BlockB:
            takeBlockB(p);
            m_part = Part::Payload;
            break;
        case Part::Payload:
            if (!takePayload(p))
                return false;
            if (m_frameHasTrailer)
                m_part = Part::Trailer;
            else if (!endOfFrame())
                return false;
            break;
        case Part::Trailer:
            if (!takeTrailer(p) || !endOfFrame())
                return false;
            break;
        }
    }
    return true;
}

bool StreamFrameParser::takeHeader(const unsigned char* p)
{
    m_type = readI32(p);
    m_frameHasFormat = readI32(p + 20) != 0;
    m_frameHasTrailer = readI32(p + 24) != 0;
    int32_t magic = readI32(p + 28);
    m_payloadLength = readU32(p + 44);
    if (magic != kMagic)
        return false;
    if (m_kind == StreamKind::Spectrum && m_type != kTypeSpectrum)
        return false;
    if (m_payloadLength > kMaxPartSize) {
        std::fprintf(stderr, "stream_data error: frame payload of %u bytes refused\n", m_payloadLength);
        return false;
    }
    if (m_kind == StreamKind::IQ && m_type == kTypeIQ && m_payloadLength == 0)
        return false; // an empty sample frame; an empty spectrum line is delivered as one
    if (m_kind != StreamKind::Spectrum) {
        m_context.headerWord8 = readI32(p + 32);
        m_context.headerWord9 = readI32(p + 36);
    }
    return true;
}

void StreamFrameParser::takeFormat(const unsigned char* p)
{
    m_sampleFormat = readI32(p + 12);
    m_min = readFloat(p + 16);
    m_max = readFloat(p + 20);
}

void StreamFrameParser::takeBlockB(const unsigned char* p)
{
    m_context.blockValue32 = readI32(p);
    m_context.blockValue64 = readI64(p + 4);
}

bool StreamFrameParser::takePayload(const unsigned char* p)
{
    switch (m_kind) {
    case StreamKind::IQ:
        if (m_type == kTypeIQ)
            return deliverIQ(p);
        std::printf("%s received un-expected data block of type : %ld\n", "stream_data", long(m_type));
        return true;
    case StreamKind::Spectrum:
        return deliverSpectrum(p);
    case StreamKind::Session:
        if (m_frameHasTrailer) {
            m_sessionPayload.assign(reinterpret_cast<const char*>(p), m_payloadLength);
            m_sessionPending = true;
            return true;
        }
        return deliverSession(reinterpret_cast<const char*>(p), m_payloadLength);
    }
    return false;
}

bool StreamFrameParser::deliverIQ(const unsigned char* p)
{
    size_t pairSize = 8;
    if (m_frameHasFormat) {
        if (m_sampleFormat == kFormatInt16)
            pairSize = 4;
        else if (m_sampleFormat == kFormatInt8)
            pairSize = 2;
        else
            return true; // an unknown sample format delivers nothing
    }
    size_t count = m_payloadLength / pairSize;
    if (count == 0)
        return false;
    auto* samples = static_cast<std::complex<float>*>(std::malloc(count * sizeof(std::complex<float>)));
    if (samples == nullptr)
        return false;

    if (!m_frameHasFormat) {
        std::memcpy(samples, p, count * sizeof(std::complex<float>));
    } else {
        // Normalised pairs: the magnitude is mapped onto [min, max], the phase kept.
        double scale = pairSize == 4 ? 32767.0 : 127.0;
        for (size_t i = 0; i < count; ++i) {
            double a, b;
            if (pairSize == 4) {
                a = readI16(p + 4 * i) / scale;
                b = readI16(p + 4 * i + 2) / scale;
            } else {
                a = int8_t(p[2 * i]) / scale;
                b = int8_t(p[2 * i + 1]) / scale;
            }
            double magnitude = m_min + std::hypot(a, b) * (m_max - m_min);
            double phase = std::atan2(b, a);
            samples[i] =
                std::complex<float>(float(magnitude * std::cos(phase)), float(magnitude * std::sin(phase)));
        }
    }
    if (m_handlers.iq == nullptr) {
        std::free(samples);
        return true;
    }
    return m_handlers.iq(int(count), samples, &m_context, m_handlers.iqUser) > 0;
}

bool StreamFrameParser::deliverSpectrum(const unsigned char* p)
{
    // At least one value's room: an empty line still gets an array of its own.
    float* values = static_cast<float*>(std::malloc(std::max<size_t>(m_payloadLength, 1) * sizeof(float)));
    if (values == nullptr)
        return false;
    for (uint32_t i = 0; i < m_payloadLength; ++i)
        values[i] = m_min + float(p[i] / 255.0 * (m_max - m_min));
    if (m_handlers.spectrum == nullptr) {
        std::free(values);
        return true;
    }
    return m_handlers.spectrum(int(m_payloadLength), values, nullptr, m_handlers.spectrumUser) > 0;
}

bool StreamFrameParser::deliverSession(const char* payload, size_t length)
{
    if (m_handlers.session == nullptr)
        return true;
    return m_handlers.session(m_type, payload, length, m_handlers.sessionUser) > 0;
}

bool StreamFrameParser::takeTrailer(const unsigned char* p)
{
    int64_t previousMarker = m_context.marker;
    m_context.marker = readI64(p);
    m_context.rx_center = readI64(p + 8);
    m_context.rate = float(readU32(p + 16));
    m_context.longitude = readFloat(p + 20);
    m_context.latitude = readFloat(p + 24);
    m_context.reserved = readFloat(p + 28);
    m_context.azimuth = readFloat(p + 32);
    std::memcpy(m_context.spare, p + 36, sizeof m_context.spare);

    if (m_kind == StreamKind::Session) {
        bool ok = !m_sessionPending || deliverSession(m_sessionPayload.data(), m_sessionPayload.size());
        m_sessionPending = false;
        m_sessionPayload.clear();
        return ok;
    }
    if (m_context.marker != previousMarker && m_handlers.context != nullptr &&
        m_handlers.context(&m_context, m_handlers.contextUser) <= 0)
        m_handlers.context = nullptr;
    return true;
}

bool StreamFrameParser::endOfFrame()
{
    m_part = Part::Header;
    return m_handlers.stopRequested == nullptr || !m_handlers.stopRequested(m_handlers.stopUser);
}
