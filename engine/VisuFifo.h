#pragma once

#include "engine/dsp/Complex.h"

#include <QMutex>
#include <QtGlobal>

#include <memory>

struct SampleContext;

// A display window: the latest complex samples of one channel stage, for a receiver
// panel's spectrum. Written block by block by a stage callback on the audio mixing
// thread (the writer locks the mutex), read by the panel's timer (which only try-locks,
// through a VisuFifoSnapshot, and skips the frame when busy). Every field is guarded by
// the mutex.
//
// The buffer is a ring: a new block is written over the oldest samples, from head on,
// and nothing else moves. Read in time order (samplesInOrder), the window holds the
// oldest sample first and the newest last, as if every block had shifted the older ones
// towards the start.
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
    int head = 0;       // index in buffer of the oldest sample, where the next block goes
    int rate = 0;       // Hz
    qint64 centre = 0;  // receiver centre of the latest block, Hz
    qint64 offset = 0;  // channel offset of the latest block, whole Hz
    int blockCount = 0; // blocks written; the panel compares it between frames
    // Where the panel starts reading: 0 with every block, advanced by the panel while
    // no new block comes.
    int readPosition = 0;

    // Replaces the buffer by a zeroed one of n samples, in time order from its start.
    void allocate(int n);
    void release();
    // Drops the oldest samples for the newest count (only the last capacity samples of
    // a longer block).
    void push(const Complex* samples, int count);
    // Copies count samples from position first in time order (0: the oldest held) to
    // out; false, copying nothing, unless all of them are held.
    bool samplesInOrder(int first, int count, Complex* out) const;
};

// A panel's look at a display window: try-locks the window's mutex for at most timeoutMs
// and, while the lock is held, gives access to the window. The lock goes with the
// snapshot, or earlier with release().
class VisuFifoSnapshot
{
public:
    VisuFifoSnapshot(VisuFifo& window, int timeoutMs);
    ~VisuFifoSnapshot() { release(); }
    VisuFifoSnapshot(const VisuFifoSnapshot&) = delete;
    VisuFifoSnapshot& operator=(const VisuFifoSnapshot&) = delete;

    // False when the window stayed busy: then nothing of it may be touched.
    bool locked() const { return held; }
    VisuFifo* operator->() const { return &window; }
    // Unlocks before the snapshot goes (before the slow part of a frame).
    void release();

private:
    VisuFifo& window;
    bool held;
};

// Stage callbacks (ChannelStageCallback) that keep the windows named in the block's
// context: RX A's raw input (stage 1) in its fullband_visu_fifo, RX B's decimated
// signal (stage 2) in its smallband_visu_fifo. Both always return 1 and never keep the
// samples.
int generate_fullband_display_fft(const Complex* samples, int count, float rate, int stage,
                                  SampleContext* ctx);
int generate_smallband_display_fft(const Complex* samples, int count, float rate, int stage,
                                   SampleContext* ctx);
