#include "engine/demod/Demodulator.h"

#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/demod/TimeDomainBlock.h"

#include <QDebug>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kInitialResamplerInput = 10240;

Complex* copyBlock(const Complex* samples, int count)
{
    auto* copy = static_cast<Complex*>(std::malloc(sizeof(Complex) * std::max(count, 1)));
    if (copy && count > 0)
        std::memcpy(copy, samples, sizeof(Complex) * count);
    return copy;
}
} // namespace

Demodulator::Demodulator() : captureQueue(new SampleFifo)
{
    resampler.SetMaxInputSize(kInitialResamplerInput);
    resamplerMaxInput = kInitialResamplerInput;
}

Demodulator::~Demodulator()
{
    std::free(pendingBlock);
    delete captureQueue; // frees what a capture left queued
}

void Demodulator::setFilterEdges(float* low, float* high)
{
    if (low)
        lowEdge = *low;
    if (high)
        highEdge = *high;
}

void Demodulator::setTDFifo(SampleFifo* queue)
{
    timeDomainLock.acquire();
    timeDomainQueue = queue;
    timeDomainLock.release();
}

void Demodulator::setRitFrequency(float hz)
{
    ritFrequency = hz;
    rit.SetFrequency(hz, inputRate.load());
    ritOn = true;
}

double Demodulator::volumeGain() const
{
    return std::min(1.0, volumePercent.load() / 100.0);
}

void Demodulator::dropPending()
{
    std::free(pendingBlock);
    pendingBlock = nullptr;
    pendingCount = 0;
    pendingSize = 0;
}

int Demodulator::performDemodulation(Complex* samples, int count, int rate, int outputRate, int blockSize,
                                     SampleFifo* outQueue, SampleContext* ctx)
{
    if (!samples || count < 0 || rate <= 0 || outputRate <= 0 || blockSize <= 0)
        return 0;
    inputRate = rate;
    if (rate != lastRate) {
        // A new channel rate: the pending audio and this block are dropped, and the
        // RIT keeps its offset in hertz at the new rate.
        dropPending();
        lastRate = rate;
        rit.SetFrequency(ritFrequency.load(), rate);
        return 0;
    }

    if (ritOn && count > 0)
        rit.Mix(samples, count);
    if (ctx)
        ctx->ddc_outrate = static_cast<float>(rate);
    demodulate(samples, count, ctx);
    copyForTimeDomain(samples, count, rate);
    copyForCapture(samples, count);

    const int room = count * (outputRate / rate + 16);
    if (room > resamplerMaxInput) {
        resamplerMaxInput = room + 256;
        resampler.SetMaxInputSize(resamplerMaxInput);
    }
    if (static_cast<int>(resampled.size()) < room)
        resampled.resize(room);
    const int produced =
        resampler.Resample(count, static_cast<float>(rate) / outputRate, samples, resampled.data());
    return cutIntoBlocks(resampled.data(), produced, blockSize, outQueue);
}

void Demodulator::copyForTimeDomain(const Complex* samples, int count, int rate)
{
    timeDomainLock.acquire();
    SampleFifo* queue = timeDomainQueue;
    if (queue && queue->accepting) {
        auto* block = static_cast<TimeDomainBlock*>(std::malloc(sizeof(TimeDomainBlock)));
        auto* header = static_cast<TimeDomainHeader*>(std::malloc(sizeof(TimeDomainHeader)));
        Complex* copy = copyBlock(samples, count);
        bool queued = false;
        if (block && header && copy) {
            *header = {count, rate, 8 * count};
            *block = {header, copy};
            queued = queue->enqueue(block, 1, 0, nullptr) > 0;
        }
        if (!queued) {
            qDebug() << "Mesurement::demodulationEngine() enqueue TD data error ";
            std::free(copy);
            std::free(header);
            std::free(block);
        }
    }
    timeDomainLock.release();
}

void Demodulator::copyForCapture(const Complex* samples, int count)
{
    if (captureRemaining <= 0)
        return;
    Complex* copy = copyBlock(samples, count);
    if (!copy || captureQueue->enqueue(copy, count, 0, nullptr) <= 0) {
        qDebug() << "Demodulator::performDemodulation capture queue overflow";
        std::free(copy);
    }
    captureRemaining -= count;
}

int Demodulator::cutIntoBlocks(const Complex* audio, int produced, int blockSize, SampleFifo* outQueue)
{
    const auto hand = [outQueue](Complex* block, int size, const char* refusal) {
        if (!outQueue || outQueue->enqueue(block, size, 0, nullptr) <= 0) {
            qDebug() << refusal;
            std::free(block);
        }
    };

    if (pendingBlock && pendingSize != blockSize)
        dropPending();
    int blocks = 0;
    int used = 0;
    if (pendingCount > 0) {
        const int take = std::min(blockSize - pendingCount, produced);
        std::memcpy(pendingBlock + pendingCount, audio, sizeof(Complex) * take);
        pendingCount += take;
        used = take;
        if (pendingCount < blockSize)
            return 0;
        hand(pendingBlock, blockSize, "Demodulator::performDemodulation out queue overflow");
        pendingBlock = nullptr;
        pendingCount = 0;
        pendingSize = 0;
        ++blocks;
    }
    while (produced - used >= blockSize) {
        Complex* block = copyBlock(audio + used, blockSize);
        if (block)
            hand(block, blockSize, "Demodulator::performDemodulation out queue overflow #2");
        used += blockSize;
        ++blocks;
    }
    if (used < produced) {
        pendingBlock = static_cast<Complex*>(std::malloc(sizeof(Complex) * blockSize));
        if (pendingBlock) {
            pendingCount = produced - used;
            pendingSize = blockSize;
            std::memcpy(pendingBlock, audio + used, sizeof(Complex) * pendingCount);
        }
    }
    return blocks;
}
