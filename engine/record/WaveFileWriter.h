#pragma once

#include "engine/record/AudioRecordingThread.h"

// The uncompressed counterpart of the MP3 recorder: the same stereo blocks
// (interleaved float pairs at 48000 frames/s, without context) stored as a
// 32-bit float WAV file "./record/RX_<MHz>_<stamp>.wav" through libsndfile.
// The file is created with the first block. The elapsed time goes to the
// "counter" plug-in.
class WaveFileWriter : public AudioRecordingThread
{
    Q_OBJECT
public:
    static constexpr int SampleRate = 48000;

    explicit WaveFileWriter(QObject* parent = nullptr);
    ~WaveFileWriter() override;

protected:
    void run() override;
};
