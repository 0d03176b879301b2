#pragma once

#include "engine/dsp/Complex.h"

#include <QMutex>
#include <QtGlobal>

#include <memory>

struct SampleContext;

// A display window: the latest complex samples of one channel stage, oldest first, for a
// receiver panel's spectrum. Written block by block by a stage callback on the audio
// mixing thread (the writer locks the mutex), read by the panel's timer (which only
// try-locks, and skips the frame when busy). Every field is guarded by the mutex.
class VisuFifo
{
public:
    VisuFifo();
    ~VisuFifo();
    VisuFifo(const VisuFifo&) = delete;
    VisuFifo& operator=(const VisuFifo&) = delete;

    std::unique_ptr<QMutex> mutex;
    Complex* buffer = nullptr; // capacity samples, null until the first block
    int capacity = 0;
    int rate = 0;       // Hz
    qint64 centre = 0;  // receiver centre of the latest block, Hz
    qint64 offset = 0;  // channel offset of the latest block, whole Hz
    int blockCount = 0; // blocks written; the panel compares it between frames
    // Where the panel starts reading: 0 with every block, advanced by the panel while
    // no new block comes.
    int readPosition = 0;

    // Replaces the buffer by a zeroed one of n samples.
    void allocate(int n);
    void release();
    // Drops the oldest samples and puts the newest count at the end of the buffer (only
    // the last capacity samples of a longer block).
    void push(const Complex* samples, int count);
};

// Stage callbacks (ChannelStageCallback) that keep the windows named in the block's
// context: RX A's raw input (stage 1) in its fullband_visu_fifo, RX B's decimated
// signal (stage 2) in its smallband_visu_fifo. Both always return 1 and never keep the
// samples.
int generate_fullband_display_fft(Complex* samples, int count, float rate, int stage, SampleContext* ctx);
int generate_smallband_display_fft(Complex* samples, int count, float rate, int stage, SampleContext* ctx);
