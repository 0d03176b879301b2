#include "engine/VisuFifo.h"

#include "core/QLogger.h"
#include "engine/SampleContext.h"

#include <QMutexLocker>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
constexpr qint64 kRetuneTolerance = 10; // Hz of centre change that keep the whole-band window
constexpr int kLargestPow = 26;         // 2^26 samples (512 MB) bound the sub-band window
} // namespace

VisuFifo::VisuFifo() : mutex(new QMutex) {}

VisuFifo::~VisuFifo()
{
    release();
}

void VisuFifo::allocate(int n)
{
    release();
    buffer = static_cast<Complex*>(calloc(size_t(n), sizeof(Complex)));
    capacity = buffer ? n : 0;
}

void VisuFifo::release()
{
    free(buffer);
    buffer = nullptr;
    capacity = 0;
    head = 0;
}

void VisuFifo::push(const Complex* samples, int count)
{
    if (count >= capacity) {
        std::memcpy(buffer, samples + (count - capacity), size_t(capacity) * sizeof(Complex));
        head = 0;
        return;
    }
    const int toEnd = std::min(count, capacity - head);
    std::memcpy(buffer + head, samples, size_t(toEnd) * sizeof(Complex));
    std::memcpy(buffer, samples + toEnd, size_t(count - toEnd) * sizeof(Complex));
    head = (head + count) % capacity;
}

bool VisuFifo::samplesInOrder(int first, int count, Complex* out) const
{
    if (buffer == nullptr || first < 0 || count < 0 || count > capacity - first)
        return false;
    const int start = (head + first) % capacity;
    const int toEnd = std::min(count, capacity - start);
    std::memcpy(out, buffer + start, size_t(toEnd) * sizeof(Complex));
    std::memcpy(out + toEnd, buffer, size_t(count - toEnd) * sizeof(Complex));
    return true;
}

VisuFifoSnapshot::VisuFifoSnapshot(VisuFifo& window, int timeoutMs)
    : window(window), held(window.mutex->tryLock(timeoutMs))
{
}

void VisuFifoSnapshot::release()
{
    if (held)
        window.mutex->unlock();
    held = false;
}

int generate_fullband_display_fft(const Complex* samples, int count, float rate, int, SampleContext* ctx)
{
    // A rate under 16 has no power-of-two window size (log2 of rate / 8 below 1).
    if (ctx == nullptr || ctx->fullband_visu_fifo == nullptr || count <= 0 || !(rate >= 16))
        return 1;
    VisuFifo& window = *ctx->fullband_visu_fifo;
    QMutexLocker locker(window.mutex.get());

    const bool existed = window.buffer != nullptr;
    if (!existed) {
        const int pow = std::min(17, int(std::floor(std::log2(rate / 8))));
        QLogger::logDebug(LogModule, QString("fullband_visu_fifo pow_of_2=%1").arg(pow));
        const int size = std::max((1 << pow) + 16, 2 * FULLBAND_FFT_LENGTH.load());
        window.allocate(size);
        QLogger::logDebug(
            LogModule,
            QString("Controller::generate_fullband_display_fft shm->len =%1").arg(window.capacity));
        if (window.buffer == nullptr)
            return 1;
    }
    if (count > window.capacity) {
        window.allocate(2 * count);
        if (window.buffer == nullptr)
            return 1;
        window.push(samples, count);
        ++window.blockCount;
    } else if (existed && std::llabs(ctx->hw_center - window.centre) > kRetuneTolerance) {
        // A retune: the old samples belong to another band.
        std::memset(window.buffer, 0, size_t(window.capacity) * sizeof(Complex));
        window.blockCount = 0;
        window.head = 0;
        std::memcpy(window.buffer, samples, size_t(count) * sizeof(Complex));
    } else {
        window.push(samples, count);
        ++window.blockCount;
    }
    window.centre = ctx->hw_center;
    window.offset = qint64(ctx->rx_offset);
    window.readPosition = 0;
    window.rate = int(rate);
    return 1;
}

int generate_smallband_display_fft(const Complex* samples, int count, float rate, int, SampleContext* ctx)
{
    if (count <= 0 || ctx == nullptr || ctx->smallband_visu_fifo == nullptr || !(rate >= 1))
        return 1;
    VisuFifo& window = *ctx->smallband_visu_fifo;
    QMutexLocker locker(window.mutex.get());

    if (window.buffer != nullptr && window.rate != int(rate)) {
        window.release();
        window.readPosition = 0;
        window.blockCount = 0;
        QLogger::logDebug(LogModule, "++++++++++ RESET SMALL BAND FIFO DATA +++++++++++++++");
    }
    if (window.buffer == nullptr) {
        int size = (1 << std::min(kLargestPow, int(std::floor(std::log2(rate) + 4)))) + 16;
        if (count >= size)
            size = 1 << std::min(kLargestPow, int(std::floor(std::log2(8.0 * count))));
        window.allocate(size);
        QLogger::logDebug(LogModule, QString("smallband_visu_fifo shm->len=%1").arg(window.capacity));
    }
    if (window.buffer == nullptr)
        return 1;
    // Oldest first, the newest block at the end: the panel reads the newest samples.
    window.push(samples, count);
    ++window.blockCount;
    window.centre = ctx->hw_center;
    window.rate = int(rate);
    window.offset = qint64(ctx->rx_offset);
    window.readPosition = 0;
    return 1;
}
