#include "scripting/CaptureReader.h"

#include "engine/SampleFifo.h"

#include <QDebug>

#include <algorithm>
#include <cstdlib>

std::vector<double> CaptureReader::take(SampleFifo& queue, int count)
{
    std::vector<double> out(2 * static_cast<size_t>(count), 0.0);
    size_t placed = 0;
    const auto place = [&](const Complex* samples, size_t available) {
        const size_t n = std::min(available, static_cast<size_t>(count) - placed);
        for (size_t k = 0; k < n; ++k) {
            out[2 * placed] = samples[k].real();
            out[2 * placed + 1] = samples[k].imag();
            ++placed;
        }
        return n;
    };

    const size_t fromRest = place(rest.data(), rest.size());
    rest.erase(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(fromRest));

    while (placed < static_cast<size_t>(count)) {
        int blockCount = 0;
        auto* block = static_cast<Complex*>(queue.dequeue(&blockCount, 0, nullptr, false));
        if (block == nullptr)
            break;
        if (blockCount <= 0) {
            std::free(block);
            break;
        }
        qDebug().noquote() << QStringLiteral("ScriptEngine::getRxSamples adding samples=%1").arg(blockCount);
        const size_t used = place(block, static_cast<size_t>(blockCount));
        rest.assign(block + used, block + blockCount);
        std::free(block);
    }
    return out;
}
