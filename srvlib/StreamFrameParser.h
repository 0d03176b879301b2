#pragma once

#include "RemoteRfContext.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a stream carries; decides how frames are decoded and which types end it.
enum class StreamKind { IQ, Spectrum, Session };

// Where the parser delivers what it decodes. Unset callbacks are skipped.
struct StreamHandlers
{
    SrvIQCallback iq = nullptr;
    void* iqUser = nullptr;
    SrvSpectrumCallback spectrum = nullptr;
    void* spectrumUser = nullptr;
    SrvContextCallback context = nullptr;
    void* contextUser = nullptr;
    // Session stream: every complete frame with its payload (not NUL-terminated,
    // valid during the call); a result of 0 or less ends the transfer.
    int (*session)(int32_t type, const char* payload, size_t length, void* user) = nullptr;
    void* sessionUser = nullptr;
    // Asked between frames: true ends the transfer even with unread data.
    bool (*stopRequested)(void* user) = nullptr;
    void* stopUser = nullptr;
};

// Incremental parser of the frame format shared by the I/Q, spectrum and
// session streams. Pieces of any size, cut anywhere, are taken in order;
// complete frame parts are decoded as they become available.
//
// Frame: header (48 bytes), format block (24, when flagged), block B (16),
// payload (header word 11 bytes), trailer (42, when flagged); little-endian.
class StreamFrameParser
{
public:
    static constexpr size_t kBufferSize = 1048576;
    // No frame part may be longer: such a frame could never be held.
    static constexpr uint32_t kMaxPartSize = kBufferSize - 2;
    static constexpr int32_t kMagic = 1808;

    StreamFrameParser(StreamKind kind, const StreamHandlers& handlers);

    // Takes one arriving piece; false when the transfer must end (bad magic,
    // wrong type for the stream, an empty I/Q or oversized payload, a callback
    // or the stop check asking to end).
    bool feed(const char* data, size_t size);

    const remote_rf_context& context() const { return m_context; }
    StreamKind kind() const { return m_kind; }

private:
    enum class Part { Header, Format, BlockB, Payload, Trailer };

    // Decodes complete parts from the buffer; false ends the transfer.
    bool parseBuffered();
    bool takeHeader(const unsigned char* p);
    void takeFormat(const unsigned char* p);
    void takeBlockB(const unsigned char* p);
    bool takePayload(const unsigned char* p);
    bool takeTrailer(const unsigned char* p);
    bool endOfFrame();
    size_t partSize() const;

    bool deliverIQ(const unsigned char* p);
    bool deliverSpectrum(const unsigned char* p);
    bool deliverSession(const char* payload, size_t length);

    StreamKind m_kind;
    StreamHandlers m_handlers;
    remote_rf_context m_context{};

    std::vector<char> m_buffer; // grows as parts need it, never beyond kBufferSize
    size_t m_fill = 0;
    size_t m_read = 0;

    Part m_part = Part::Header;
    int32_t m_type = 0;
    bool m_frameHasFormat = false;
    bool m_frameHasTrailer = false;
    uint32_t m_payloadLength = 0;

    // The latest format block; kept for later frames until the next one.
    int32_t m_sampleFormat = 0;
    float m_min = 0.0f;
    float m_max = 0.0f;

    // A session payload waiting for its frame's trailer.
    std::string m_sessionPayload;
    bool m_sessionPending = false;
};
