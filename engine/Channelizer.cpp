#include "engine/Channelizer.h"

#include "engine/SampleContext.h"

#include <QDebug>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kOutputMergeLimit = 1024; // output elements grow until they hold this many samples

SampleContext* copyContext(const SampleContext* ctx)
{
    if (ctx == nullptr)
        return nullptr;
    auto* copy = static_cast<SampleContext*>(malloc(sizeof(SampleContext)));
    if (copy != nullptr)
        std::memcpy(copy, ctx, sizeof(SampleContext));
    return copy;
}
} // namespace

Channelizer::Channelizer(int inputRate, int outputRate) : chain(inputRate, outputRate) {}

Channelizer::~Channelizer()
{
    DropInput();
}

void Channelizer::setOffset(float ncoHz)
{
    // Not locked: the chain takes the new frequency at its next block.
    chain.SetOffset(ncoHz);
}

void Channelizer::setFilter(float low, float high)
{
    std::lock_guard<std::mutex> guard(lock);
    chain.SetFilter(low, high);
    UpdatePieceLength();
}

void Channelizer::setInputRate(int rate)
{
    std::lock_guard<std::mutex> guard(lock);
    chain.SetInputRate(rate);
    UpdatePieceLength();
}

void Channelizer::setOffsetAndFilter(float ncoHz, float low, float high)
{
    chain.SetOffset(ncoHz);
    setFilter(low, high);
}

void Channelizer::setLowCut(float low)
{
    std::lock_guard<std::mutex> guard(lock);
    chain.SetFilter(low, chain.HighCut());
    UpdatePieceLength();
}

void Channelizer::setHighCut(float high)
{
    std::lock_guard<std::mutex> guard(lock);
    chain.SetFilter(chain.LowCut(), high);
    UpdatePieceLength();
}

int Channelizer::cicDecimate(const Complex* in, int count, Complex* out, int factor)
{
    // Locked: the oscillator is the pass-through path's, run by getData.
    std::lock_guard<std::mutex> guard(lock);
    return chain.CicDecimate(in, count, out, factor);
}

void Channelizer::setStageCallback(int stage, ChannelStageCallback callback)
{
    std::lock_guard<std::mutex> guard(lock);
    chain.SetStageCallback(stage, callback);
}

int Channelizer::inputRate() const
{
    std::lock_guard<std::mutex> guard(lock);
    return chain.InputRate();
}

float Channelizer::lowCut() const
{
    std::lock_guard<std::mutex> guard(lock);
    return chain.LowCut();
}

float Channelizer::highCut() const
{
    std::lock_guard<std::mutex> guard(lock);
    return chain.HighCut();
}

void Channelizer::UpdatePieceLength()
{
    const int limit = chain.MaxInputLength();
    pieceLength = pieceLengthLearned && limit <= 0 ? kPieceLength : limit;
}

int Channelizer::EnqueueData(void* samples, SampleContext* ctx, int count)
{
    SharedSamples* handle = SharedSamples::adopt(samples, count);
    if (handle == nullptr) {
        qDebug() << "Channelizer::EnqueueData() could not malloc";
        free(samples);
        free(ctx);
        return -1;
    }
    return EnqueueShared(handle, ctx);
}

int Channelizer::EnqueueShared(SharedSamples* samples, SampleContext* ctx)
{
    const int count = samples->count();
    const int piece = pieceLength.load();
    if (piece > 0 && count > piece)
        return EnqueuePieces(samples, ctx, piece);

    const int result = inputQueue.enqueue(samples, count, 0, ctx);
    if (result <= 0) {
        SharedSamples::release(samples);
        free(ctx);
    }
    if (result < 0) {
        qDebug() << "Channelizer::EnqueueData qs < 0";
        flush(0);
    }
    return result;
}

int Channelizer::EnqueuePieces(SharedSamples* samples, SampleContext* ctx, int piece)
{
    const int count = samples->count();
    int result = 0;
    for (int pos = 0; pos < count; pos += piece) {
        const int length = std::min(piece, count - pos);
        const bool last = pos + length == count;
        SharedSamples* view = samples->share(pos, length);
        // Every piece but the last travels with a copy of the context.
        SampleContext* pieceCtx = last ? ctx : copyContext(ctx);
        if (view == nullptr || (ctx != nullptr && pieceCtx == nullptr)) {
            qDebug() << "Channelizer::EnqueueData() could not malloc";
            SharedSamples::release(view);
            if (pieceCtx != ctx)
                free(pieceCtx);
            SharedSamples::release(samples);
            free(ctx);
            return -1;
        }
        result = inputQueue.enqueue(view, length, 0, pieceCtx);
        if (result <= 0) {
            SharedSamples::release(view);
            free(pieceCtx);
        }
    }
    SharedSamples::release(samples);
    if (result < 0) {
        qDebug() << "Channelizer::EnqueueData after split qs < 0";
        flush(1);
    }
    return result;
}

Complex* Channelizer::getData(int* count, SampleContext** ctx, int inputWaitMs)
{
    transfert(inputWaitMs);
    *count = 0;
    *ctx = nullptr;
    // Only the step just run fills the output queue: waiting on it would only sleep.
    return static_cast<Complex*>(outputQueue.dequeue(count, 0, ctx, false));
}

int Channelizer::transfert(int inputWaitMs)
{
    // The wait for input is outside the lock: a control never waits for a stalled
    // receiver, only for a block being processed.
    int count = 0;
    SampleContext* ctx = nullptr;
    inputWait = true;
    auto* samples = static_cast<SharedSamples*>(inputQueue.dequeue(&count, 0, &ctx, true, inputWaitMs));
    inputWait = false;
    if (samples == nullptr || count <= 0) {
        SharedSamples::release(samples);
        free(ctx);
        return 0;
    }

    std::lock_guard<std::mutex> guard(lock);
    if (chain.IsPassThrough()) {
        // The block may be another channel's too: the mixed copy goes on.
        auto* block = static_cast<Complex*>(malloc(size_t(count) * sizeof(Complex)));
        if (block != nullptr)
            chain.MixPassThrough(samples->samples(), block, count);
        SharedSamples::release(samples);
        if (block == nullptr || outputQueue.enqueue(block, count, 0, ctx) <= 0) {
            qDebug() << "Channelizer::transfert() queue size";
            free(block);
            free(ctx);
            return 0;
        }
        return 1;
    }

    const int produced = chain.Process(samples->samples(), count, ctx);
    SharedSamples::release(samples);
    if (produced <= 0) {
        free(ctx);
        if (produced < 0 && !pieceLengthLearned) {
            // The first half-band stage refused a long block: cut the following ones.
            pieceLengthLearned = true;
            UpdatePieceLength();
            flush(0);
        }
        return 0;
    }

    auto* out = static_cast<Complex*>(malloc(size_t(produced) * sizeof(Complex)));
    if (out == nullptr) {
        std::printf(" buffer_for_postprocessing == NULL \n");
        free(ctx);
        return 0;
    }
    std::memcpy(out, chain.Output(), size_t(produced) * sizeof(Complex));
    if (outputQueue.append(out, produced, ctx, sizeof(Complex), kOutputMergeLimit) <= 0) {
        qDebug() << "Channelizer::transfert() queue size #2";
        free(out);
        free(ctx);
        return 0;
    }
    return 1;
}

void Channelizer::flush(int keep)
{
    if (inputQueue.size() > keep)
        DropInput();
    outputQueue.flush();
}

void Channelizer::DropInput()
{
    int count = 0;
    SampleContext* ctx = nullptr;
    while (void* samples = inputQueue.dequeue(&count, 0, &ctx, false)) {
        SharedSamples::release(static_cast<SharedSamples*>(samples));
        free(ctx);
    }
}
