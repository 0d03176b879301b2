#pragma once

// Builds raw-RF recordings byte by byte for the reader and player tests.

#include "engine/record/RfFormat.h"

#include <QByteArray>
#include <QFile>
#include <QString>

inline RfBlockHeader rawHeader(int count, float rate = 48000.0f, double centre = 145500000.0)
{
    RfBlockHeader h;
    h.hw_center = centre;
    h.rx_samplerate = rate;
    h.ddc_outrate = rate / 4;
    h.rx_offset = -12500.0f;
    h.sample_count = count;
    return h;
}

inline QByteArray headerBytes(const RfBlockHeader& h)
{
    QByteArray bytes(RfFormat::HeaderSize, '\0');
    RfFormat::encodeHeader(h, reinterpret_cast<uint8_t*>(bytes.data()));
    return bytes;
}

// A header and samples whose I part is the sample's index (Q its negation).
inline QByteArray rampBlock(const RfBlockHeader& h)
{
    QByteArray bytes = headerBytes(h);
    for (int i = 0; i < h.sample_count; ++i) {
        float iq[2] = {float(i % 32767) / 32767.0f, -float(i % 32767) / 32767.0f};
        uint8_t pair[RfFormat::BytesPerSample];
        RfFormat::floatToInt16Pair(iq, pair);
        bytes.append(reinterpret_cast<const char*>(pair), sizeof pair);
    }
    return bytes;
}

inline QByteArray trailerBytes(int fileNumber, int fileSamples, int totalSamples)
{
    RfTrailerBlock t;
    t.file_number = fileNumber;
    t.next_file_number = fileNumber + 1;
    t.file_samples = fileSamples;
    t.total_samples = totalSamples;
    QByteArray bytes(RfFormat::TrailerSize, '\0');
    RfFormat::encodeTrailer(t, reinterpret_cast<uint8_t*>(bytes.data()));
    return bytes;
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}
