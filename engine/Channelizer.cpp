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
    const int piece = pieceLength.load();
    if (piece > 0 && count > piece)
        return EnqueuePieces(static_cast<Complex*>(samples), ctx, count, piece);

    const int result = inputQueue.enqueue(samples, count, 0, ctx);
    if (result <= 0) {
        free(samples);
        free(ctx);
    }
    if (result < 0) {
        qDebug() << "Channelizer::EnqueueData qs < 0";
        flush(0);
    }
    return result;
}

int Channelizer::EnqueuePieces(Complex* samples, SampleContext* ctx, int count, int piece)
{
    int result = 0;
    for (int pos = 0; pos < count; pos += piece) {
        const int length = std::min(piece, count - pos);
        const bool last = pos + length == count;
        auto* block = static_cast<Complex*>(malloc(size_t(length) * sizeof(Complex)));
        // Every piece but the last travels with a copy of the context.
        SampleContext* pieceCtx = last ? ctx : copyContext(ctx);
        if (block == nullptr || (ctx != nullptr && pieceCtx == nullptr)) {
            qDebug() << "Channelizer::EnqueueData() could not malloc";
            free(block);
            if (pieceCtx != ctx)
                free(pieceCtx);
            free(samples);
            free(ctx);
            return -1;
        }
        std::memcpy(block, samples + pos, size_t(length) * sizeof(Complex));
        result = inputQueue.enqueue(block, length, 0, pieceCtx);
        if (result <= 0) {
            free(block);
            free(pieceCtx);
        }
    }
    free(samples);
    if (result < 0) {
        qDebug() << "Channelizer::EnqueueData after split qs < 0";
        flush(1);
    }
    return result;
}

Complex* Channelizer::getData(int* count, SampleContext** ctx, bool wait)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        transfert();
    }
    *count = 0;
    *ctx = nullptr;
    return static_cast<Complex*>(outputQueue.dequeue(count, 0, ctx, wait));
}

int Channelizer::transfert()
{
    int count = 0;
    SampleContext* ctx = nullptr;
    auto* block = static_cast<Complex*>(inputQueue.dequeue(&count, 0, &ctx, true));
    if (block == nullptr || count <= 0) {
        free(block);
        free(ctx);
        return 0;
    }

    if (chain.IsPassThrough()) {
        chain.MixPassThrough(block, count);
        if (outputQueue.enqueue(block, count, 0, ctx) <= 0) {
            qDebug() << "Channelizer::transfert() queue size";
            free(block);
            free(ctx);
            return 0;
        }
        return 1;
    }

    const int produced = chain.Process(block, count, ctx);
    free(block);
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
        inputQueue.flush();
    outputQueue.flush();
}
