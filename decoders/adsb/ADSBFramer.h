#pragma once

#include <QObject>

#include <cstdint>

// Finds Mode S replies in 8-bit unsigned I/Q samples taken at 2 MS/s: turns
// the samples into magnitudes, looks for the four-pulse preamble, slices the
// pulse-position bits and emits each complete frame.
//
// The work is done in place in the caller's buffer: magnitudes overwrite the
// I/Q bytes, then bits and markers overwrite the magnitudes (0 and 1 are bits,
// MarkPreamble, MarkConsumed and MarkCut are markers). A frame that crosses the
// end of a buffer is lost.
class ADSBFramer : public QObject
{
    Q_OBJECT
public:
    static constexpr uint16_t MarkPreamble = 253;
    static constexpr uint16_t MarkConsumed = 254;
    static constexpr uint16_t MarkCut = 255; // also "undecidable" from decideBit
    static constexpr int PreambleSamples = 16;
    static constexpr int MaxFrameBits = 112;

    explicit ADSBFramer(QObject* parent = nullptr);

    // Selects the bit-decision table (0, 5, 10, anything else); in mode 0
    // only formats 11, 17, 18 and 19 are emitted.
    int decisionMode = 10;
    // Undecidable bits tolerated in one frame before it is cut.
    int maxBadBits = 5;
    int frameCount = 0;

    // buffer holds byteCount bytes of I/Q pairs; timeBase is added to each
    // frame's position in the buffer to give its time.
    void processSamples(uint16_t* buffer, int byteCount, qlonglong timeBase);

    bool isPreamble(const uint16_t* buffer, int position) const;
    // The bit of the pair (c, d) after the pair (a, b), or MarkCut.
    int decideBit(int a, int b, int c, int d) const;
    void sliceBits(uint16_t* buffer, int count) const;
    void collectFrames(const uint16_t* buffer, int count, qlonglong timeBase);

signals:
    // msg: a calloc'd buffer of frame bits + 2 bytes starting with the frame;
    // len: the frame's bit count plus one. The receiver frees msg.
    void MSG_newADSBRawMessage(unsigned char* msg, int len, qlonglong adsb_frame_time);

private:
    void emitFrame(const uint32_t* words, int bits, qlonglong time);

    uint16_t squareTable[256];
    uint32_t frameBits[MaxFrameBits / 8];
};
