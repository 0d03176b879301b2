#pragma once

#include "engine/SampleFifo.h"
#include "engine/SharedSamples.h"
#include "engine/dsp/ChannelChain.h"

#include <atomic>
#include <mutex>

struct SampleContext;

// One receive channel's front end between two threads. The engine thread pushes raw
// receiver blocks into the input queue (EnqueueData); the audio mixing thread pulls one
// processed block at a time (getData), each pull running one step of the channel chain
// (mix, decimate, filter, resample to the channel rate) into the output queue.
//
// Every block comes with its SampleContext; whoever drops a block frees both. The input
// queue holds SharedSamples handles, so that both channels can read one receiver block
// and a long block can be cut into pieces without copies; the channel only reads them.
class Channelizer
{
public:
    // Longest block placed in the input queue once a half-band first stage needs it.
    static constexpr int kPieceLength = 32768;

    Channelizer(int inputRate, int outputRate);
    // Releases what the input queue still holds.
    ~Channelizer();
    Channelizer(const Channelizer&) = delete;
    Channelizer& operator=(const Channelizer&) = delete;

    // Mixing frequency in Hz: minus the channel's offset from the receiver centre.
    void setOffset(float ncoHz);
    // Filter edges in Hz; the channel rate becomes 2 x max(|low|, |high|). A band of zero
    // width is refused.
    void setFilter(float low, float high);
    void setInputRate(int rate);
    // The offset and the filter at once; one edge of the filter, keeping the other.
    void setOffsetAndFilter(float ncoHz, float low, float high);
    void setLowCut(float low);
    void setHighCut(float high);
    // Display taps (stage 1, 2 or 3), called on the thread that calls getData.
    void setStageCallback(int stage, ChannelStageCallback callback);

    // Takes the block (malloc'd) and its context (malloc'd or null) in every case and
    // queues them, cut into pieces when a half-band first stage needs it. Returns the
    // queue's result: the number of queued elements, 0 or -1 when refused.
    int EnqueueData(void* samples, SampleContext* ctx, int count);
    // The same for a handle on samples that other holders may read too.
    int EnqueueShared(SharedSamples* samples, SampleContext* ctx);
    // Runs one processing step, waiting at most inputWaitMs for a receiver block, then
    // hands out the oldest output block (null when none). The caller owns the block and
    // the context. The wait does not hold the channel's lock: the controls go on
    // meanwhile.
    Complex* getData(int* count, SampleContext** ctx, int inputWaitMs);
    // One processing step, waiting at most inputWaitMs for a receiver block (without
    // the lock): 1 when it queued output, 0 otherwise.
    int transfert(int inputWaitMs = SampleFifo::WaitMs);
    // Empties the input queue when it holds more than keep blocks, and the output queue.
    void flush(int keep);
    int inputQueueSize() const { return inputQueue.size(); }
    // Both queues empty.
    bool isIdle() const { return inputQueue.size() == 0 && outputQueue.size() == 0; }

    // An integer decimator beside the channel chain: mixes count samples with the
    // channel's own oscillator (set by setOffset, at the input rate) and lowers their rate
    // by factor (1 to 256) with a two-stage integrator-comb decimator and its
    // compensation filter, kept by this channel alone. out holds count / factor + 1
    // samples; returns the number written.
    int cicDecimate(const Complex* in, int count, Complex* out, int factor);

    float powerLevel() const { return chain.PowerLevel(); }
    int outputRate() const { return chain.OutputRate(); }
    int decimatedRate() const { return chain.DecimatedRate(); }
    int inputRate() const;
    float lowCut() const;
    float highCut() const;
    int maxPieceLength() const { return pieceLength.load(); }
    // A getData or transfert is waiting for a receiver block now (for a test or a watchdog).
    bool waitingForInput() const { return inputWait.load(); }

private:
    int EnqueuePieces(SharedSamples* samples, SampleContext* ctx, int piece);
    void UpdatePieceLength();
    void DropInput();

    mutable std::mutex lock;
    ChannelChain chain;
    SampleFifo inputQueue;
    SampleFifo outputQueue;
    std::atomic<int> pieceLength{-1};
    std::atomic<bool> inputWait{false};
    // Set once a block was refused as too long: later blocks are always cut.
    bool pieceLengthLearned = false;
};
