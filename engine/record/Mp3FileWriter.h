#pragma once

#include "engine/record/AudioRecordingThread.h"

// Records the demodulated audio as an MP3 file ("./record/RX_<MHz>_<stamp>.mp3"):
// 48000 frames/s stereo as the mixing thread queues it (blocks of interleaved
// float pairs, full scale +-1.0, without context), encoded by LAME at a
// constant 128 kbit/s with ID3 tags. The file is created at the first encoded
// bytes. The elapsed time goes to the "counter" plug-in. Recordings are named
// after RX A's frequency.
class Mp3FileWriter : public AudioRecordingThread
{
    Q_OBJECT
public:
    static constexpr int SampleRate = 48000;
    static constexpr int BitRateKbps = 128;
    // LAME's output rule (1.25 x frames + 7200 bytes) for blocks of up to 4096
    // frames; longer blocks are encoded in pieces of this many frames.
    static constexpr int MaxFramesPerCall = 4096;
    static constexpr int OutputBufferBytes = 12320;

    explicit Mp3FileWriter(QObject* parent = nullptr);
    ~Mp3FileWriter() override;

signals:
    // The recording ended because the encoder could not be set up or the file
    // could not be created or written; the message (French, for the user)
    // says which. Emitted from the recorder thread once it no longer records.
    void recordingFailed(QString message);

protected:
    void run() override;
};
