#pragma once

#include "decoders/morse/MorseAudioDecoder.h"

#include <QChar>
#include <QThread>

#include <atomic>

class SampleFifo;

// A worker thread that decodes Morse from the 16-bit audio blocks of its
// queue (interleaved stereo at 48 kHz, a 500 Hz keyed tone) and prints each
// character to standard output as it comes. It runs until requestStop.
class DemorseDecoder : public QThread
{
    Q_OBJECT
public:
    // The queue is not owned; it must outlive the thread.
    explicit DemorseDecoder(SampleFifo* input, QObject* parent = nullptr);
    // Stops the thread and waits for it.
    ~DemorseDecoder() override;

    // Options; set them before start.
    void setSpeedAdaptation(bool on);
    // Breaks the printed text at the first space past lineWidth characters.
    void setLineBreaking(bool on) { breakLines = on; }
    int lineWidth = 80;

    // Ends the thread within a queue wait (10 ms) or one block.
    void requestStop() { stopRequested = true; }

signals:
    // Each character as it is printed (emitted on the decoder's thread).
    void SIG_characterDecoded(QChar c);

protected:
    void run() override;

private:
    void print(char c);

    SampleFifo* input;
    MorseAudioDecoder decoder;
    std::atomic<bool> stopRequested{false};
    bool breakLines = false;
    int column = 0;
};
