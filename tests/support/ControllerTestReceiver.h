#pragma once

#include "StubReceiverHardware.h"

#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <vector>

// A receiver for the engine's tests: a tunable centre that may land a fixed
// number of hertz below the asked frequency, gain stages with ranges, counters
// of reception starts and ends, and blocks of one tone (a whole number of
// kilohertz from the centre), delivered in real time or, gated, one fetch for
// each permit the test hands out (so that the test, not the machine's speed,
// decides how much the engine gets).
class ControllerTestReceiver : public StubReceiverHardware
{
public:
    static constexpr int BlockLength = 1024;

    explicit ControllerTestReceiver(int rate = 2048000, qint64 centre = 145000000)
        : StubReceiverHardware("EngineTestReceiver"), m_rate(rate), m_centre(centre)
    {
        setType(1);
    }

    // Settings of the fake.
    qint64 landingError = 0; // the receiver tunes this many hertz below the asked frequency
    qint64 minCentre = 24000000;
    qint64 maxCentre = 1766000000;
    std::vector<float> gainMin{-10.0f};
    std::vector<float> gainMax{30.0f};
    std::atomic<int> prepareResult{1};
    // Gated: a fetch delivers only against a permit from allowFetches; without
    // one it answers "no samples" after a short wait, and the engine asks again.
    std::atomic<bool> gated{false};
    // Silent: a fetch answers "no samples" at once, as a driver without a wait of its own.
    std::atomic<bool> silent{false};
    double toneOffsetHz = 20000;

    // What the engine did.
    std::vector<float> gains = std::vector<float>(4, 0.0f);
    std::atomic<int> prepares{0};
    std::atomic<int> finalizes{0};
    std::atomic<int> retunes{0};
    std::atomic<qint64> blocksDelivered{0};
    std::atomic<int> fetchesDelivered{0};
    // Every fetch the engine asked for, answered or not.
    std::atomic<int> fetches{0};
    // The deliveries made when the engine last asked for samples: once it equals
    // fetchesDelivered, the engine has handled every fetch it was given.
    std::atomic<int> fetchesHandled{0};

    void allowFetches(int count) { permits.release(count); }

    int doCalibrate() override { return 1; }
    int prepareRXEngine() override
    {
        ++prepares;
        return prepareResult.load();
    }
    int finalizeRXEngine() override
    {
        ++finalizes;
        return 1;
    }
    int setRxSampleRate(int rate) override
    {
        m_rate = rate;
        return 1;
    }
    int setRxHWFilterBW(int) override { return 1; }
    int getActualRxSampleRate() override { return m_rate.load(); }
    int setRxCenterFreq(qint64 frequency) override
    {
        if (frequency < minCentre || frequency > maxCentre)
            return 0;
        ++retunes;
        m_centre = frequency - landingError;
        return 1;
    }
    qint64 getRxCenterFreq() override { return m_centre.load(); }
    qint64 getMin_HWRx_CenterFreq() override { return minCentre; }
    qint64 getMax_HWRx_CenterFreq() override { return maxCentre; }
    int setRxGain(float gain, int stage) override
    {
        gains.at(size_t(stage)) = gain;
        return 1;
    }
    float getRxGainValue(int stage) override { return gains.at(size_t(stage)); }
    int getRxGainStageCount() override { return int(gainMin.size()); }
    QString getRxGainStageName(int) override { return QStringLiteral("RF"); }
    QString getRxGainStageUnitName(int) override { return QStringLiteral("dB"); }
    float getMinGainValue(int stage) override { return gainMin.at(size_t(stage)); }
    float getMaxGainValue(int stage) override { return gainMax.at(size_t(stage)); }
    void* getRXSamples(int blocks, int* count) override
    {
        ++fetches;
        fetchesHandled = fetchesDelivered.load();
        if (silent) {
            *count = 0;
            return nullptr;
        }
        const int rate = m_rate.load();
        const int n = blocks * BlockLength;
        if (gated && !permits.tryAcquire(1, 10)) {
            *count = 0;
            return nullptr;
        }
        if (!gated)
            QThread::usleep(static_cast<unsigned long>(1e6 * n / rate));
        // The tone repeats every rate / 1000 samples.
        const size_t period = size_t(rate / 1000);
        if (m_period.size() != period) {
            m_period.resize(period);
            m_position = 0;
            for (size_t i = 0; i < period; ++i)
                m_period[i] = std::polar(0.1f, float(2 * M_PI * toneOffsetHz * double(i) / rate));
        }
        auto* samples = static_cast<std::complex<float>*>(std::malloc(sizeof(std::complex<float>) * n));
        for (int i = 0; i < n; ++i) {
            samples[i] = m_period[m_position];
            m_position = (m_position + 1) % period;
        }
        blocksDelivered += blocks;
        ++fetchesDelivered;
        *count = n;
        return samples;
    }
    void getIQCorrectionFactors(float* i, float* q, float* c) override { *i = *q = 1, *c = 0; }

private:
    QSemaphore permits;
    std::atomic<int> m_rate;
    std::atomic<qint64> m_centre;
    std::vector<std::complex<float>> m_period;
    size_t m_position = 0;
};
