#include "engine/MultiSDR.h"
#include "engine/ThreadPause.h"

#include "core/QLogger.h"
#include "engine/Channelizer.h"
#include "engine/Controller.h"
#include "engine/SampleContext.h"
#include "engine/audio/Agc.h"
#include "engine/audio/AudioOutput.h"
#include "engine/record/Mp3FileWriter.h"

#include <QCoreApplication>

#include <cstdlib>
#include <cstring>

namespace {
constexpr int kIdleSleepMs = 100;
// The longest wait for a receiver block: the receiver hands on a block every few tens
// of milliseconds, and each timed-out wait costs a wake-up; a stop or a change of
// channels is seen within it.
constexpr int kChannelWaitMs = 50;
// The slices in which a single channel waits for the audio output to take its blocks:
// short against a block (about 43 ms), so that the next block is ready in time.
constexpr int kAudioPollMs = 1;
constexpr int kStopTimeoutMs = 5000;

// The AGC set-up of both channels: on, with hang, knee -100 dB, manual gain 20,
// slope 2 %, decay 200 ms.
constexpr bool kAgcOn = true;
constexpr bool kAgcHang = true;
constexpr int kAgcThreshold = -100;
constexpr int kAgcManualGain = 20;
constexpr int kAgcSlope = 2;
constexpr int kAgcDecayMs = 200;

} // namespace

// One channel as the mixer drives it.
struct MultiSDR::Lane
{
    Lane(int channelNumber, Channelizer* chain, CAgc* gainControl)
        : channel(channelNumber), channelizer(chain), agc(gainControl)
    {
    }
    const int channel;
    Channelizer* const channelizer;
    CAgc* const agc;
    SampleFifo work; // the demodulator's audio blocks
};

MultiSDR::MultiSDR(QObject* parent) : QThread(parent)
{
    setObjectName(QStringLiteral("MultiSDR"));
    qRegisterMetaType<SampleFifo*>("SampleFifo*");
    qRegisterMetaType<Demodulator*>("Demodulator*");
}

MultiSDR::~MultiSDR()
{
    requestStop();
    wait(kStopTimeoutMs);
}

QString MultiSDR::modeName(int value)
{
    switch (value) {
    case ModeOff:
        return QStringLiteral("MSDR_MODE_OFF");
    case ModeRxA:
        return QStringLiteral("MSDR_MODE_RXA");
    case ModeRxB:
        return QStringLiteral("MSDR_MODE_RXB");
    case ModeRxAB:
        return QStringLiteral("MSDR_MODE_RXAB");
    default:
        return QStringLiteral("??");
    }
}

float MultiSDR::smoothedLevel(float level, float x)
{
    const float weight = x < level ? FallWeight : RiseWeight;
    return weight * x + (1.0f - weight) * level;
}

void MultiSDR::moveToRight(Complex* block, int count)
{
    for (int i = 0; i < count; ++i)
        block[i] = Complex(0.0f, block[i].real());
}

void MultiSDR::mergeRight(Complex* left, const Complex* right, int count)
{
    for (int i = 0; i < count; ++i)
        left[i].imag(right[i].real());
}

void MultiSDR::setController(Controller* engine)
{
    controller = engine;
    connect(engine, &Controller::MSG_ChannelTurnedOnOff, this, &MultiSDR::SLOT_ChannelTurnedOnOff,
            Qt::QueuedConnection);
    connect(engine, &Controller::MSG_newDemodulatorInstalled, this, &MultiSDR::SLOT_newDemodulatorInstalled,
            Qt::QueuedConnection);
}

void MultiSDR::SLOT_ChannelTurnedOnOff(int channel, bool on_off)
{
    if (channel == 0)
        rxaOn = on_off;
    else
        rxbOn = on_off;
    if (Controller* engine = controller.load())
        engine->audioOutput->noChannel = !rxaOn && !rxbOn;
}

void MultiSDR::SLOT_newDemodulatorInstalled(Demodulator* demod, int channel)
{
    std::lock_guard<std::mutex> guard(lock);
    if (channel == 0)
        demodA = demod;
    else
        demodB = demod;
}

void MultiSDR::setSquelchLevel(float dbfs, int channel)
{
    (channel == 0 ? squelchA : squelchB) = dbfs;
}

float MultiSDR::getSquelchLevel(int channel) const
{
    return channel == 0 ? squelchA.load() : squelchB.load();
}

void MultiSDR::setRFLevel(float dbfs, int channel)
{
    std::atomic<float>& level = channel == 0 ? rfLevelA : rfLevelB;
    level = smoothedLevel(level.load(), dbfs);
}

float MultiSDR::getRFLevel(int channel) const
{
    return channel == 0 ? rfLevelA.load() : rfLevelB.load();
}

int MultiSDR::captureSamples(int nb_samples)
{
    if (captureSeen.load() != CaptureIdle || captureState.load() != CaptureIdle)
        return 0;
    // The count first: the state hands it to the thread.
    captureCount = nb_samples;
    int idle = CaptureIdle;
    return captureState.compare_exchange_strong(idle, CaptureAsked) ? 1 : 0;
}

void MultiSDR::runCapture(Demodulator* demod)
{
    const int current = captureState.load();
    captureSeen = current;
    switch (current) {
    case CaptureAsked:
        captureQueue = demod->getCaptureQueue();
        demod->setCaptureCount(captureCount.load());
        captureState = CaptureRunning;
        break;
    case CaptureRunning:
        captureRemaining = demod->getCaptureRemaining();
        if (captureRemaining.load() <= 0)
            captureState = CaptureFinished;
        break;
    case CaptureFinished:
        captureQueue = demod->getCaptureQueue();
        captureSeen = CaptureIdle;
        captureState = CaptureIdle;
        emit captureEnded(captureQueue);
        break;
    default:
        break;
    }
}

Complex* MultiSDR::silentBlock()
{
    return static_cast<Complex*>(std::calloc(AudioBlock, sizeof(Complex)));
}

int MultiSDR::pullAndDemodulate(Lane& lane, int inputWaitMs)
{
    int count = 0;
    SampleContext* ctx = nullptr;
    Complex* block = lane.channelizer->getData(&count, &ctx, inputWaitMs);
    int queued = 0;
    if (block != nullptr && count > 0) {
        std::lock_guard<std::mutex> guard(lock);
        Demodulator* demod = lane.channel == 0 ? demodA : demodB;
        if (demod != nullptr)
            queued = demod->performDemodulation(block, count, lane.channelizer->outputRate(),
                                                AudioOutput::kSampleRate, AudioBlock, &lane.work, ctx);
    }
    std::free(block);
    std::free(ctx);
    return queued;
}

bool MultiSDR::finishAudio(Lane& lane, Complex* block)
{
    const float threshold = lane.channel == 0 ? squelchA.load() : squelchB.load();
    const float level = lane.channel == 0 ? rfLevelA.load() : rfLevelB.load();
    if (isSquelched(threshold, level)) {
        std::memset(static_cast<void*>(block), 0, sizeof(Complex) * AudioBlock);
        return false;
    }
    lane.agc->Process(AudioBlock, block, block);
    return true;
}

void MultiSDR::recordMp3(const Complex* block)
{
    Mp3FileWriter* recorder = controller.load()->mp3Writer;
    if (!recorder->isRecording())
        return;
    auto* copy = static_cast<Complex*>(std::malloc(sizeof(Complex) * AudioBlock));
    if (copy == nullptr)
        return;
    std::memcpy(static_cast<void*>(copy), block, sizeof(Complex) * AudioBlock);
    if (recorder->fifo()->enqueue(copy, AudioBlock, 0, nullptr) <= 0)
        std::free(copy);
}

bool MultiSDR::pushAudio(Complex* block)
{
    if (controller.load()->audioQueue->enqueue(block, AudioBlock, 0, nullptr) > 0)
        return true;
    std::free(block);
    return false;
}

void MultiSDR::runSingle(Lane& lane, bool rightSide)
{
    if (lane.channel == 0) {
        std::unique_lock<std::mutex> guard(lock);
        Demodulator* demod = demodA;
        guard.unlock();
        if (demod != nullptr)
            runCapture(demod);
    }
    pullAndDemodulate(lane, kChannelWaitMs);

    SampleFifo* audio = controller.load()->audioQueue;
    // Hand on every audio block, then keep the audio queue short: at most one
    // block waits, so the latency stays within two blocks.
    while (!stopRequested) {
        int count = 0;
        auto* block = static_cast<Complex*>(lane.work.dequeue(&count, 0, nullptr, false));
        if (block == nullptr) {
            if (audio->size() <= 1)
                return;
            serveEventsAndSleep(kAudioPollMs);
            continue;
        }
        if (finishAudio(lane, block))
            recordMp3(block);
        if (rightSide)
            moveToRight(block, AudioBlock);
        if (!pushAudio(block) && !rightSide) {
            QLogger::logDebug(
                LogModule, QStringLiteral("MultiSDR::run() single rx mode overflow audio queue audio.size=%1"
                                          " audio_frame_length=%2")
                               .arg(audio->size())
                               .arg(AudioBlock));
            audio->flush();
        }
    }
}

void MultiSDR::runBoth(Lane& a, Lane& b)
{
    // Both channels get the receiver's blocks at once (RX B's first), but not always in
    // as many pieces: wait on RX A only while neither has a block, so that the channel
    // with more pieces never waits on the other's empty queue.
    const bool ready = a.channelizer->inputQueueSize() > 0 || b.channelizer->inputQueueSize() > 0;
    pullAndDemodulate(a, ready ? 0 : kChannelWaitMs);
    pullAndDemodulate(b, 0);
    bool audibleA;
    bool audibleB;
    {
        std::lock_guard<std::mutex> guard(lock);
        audibleA = demodA != nullptr;
        audibleB = demodB != nullptr;
    }
    // A side without a demodulator is silent; the other one plays alone.
    while (!stopRequested && (audibleA || audibleB)) {
        if ((audibleA && a.work.isEmpty()) || (audibleB && b.work.isEmpty()))
            return;
        int count = 0;
        auto* left =
            static_cast<Complex*>(audibleA ? a.work.dequeue(&count, 0, nullptr, false) : silentBlock());
        auto* right = static_cast<Complex*>(audibleB ? b.work.dequeue(&count, 0, nullptr, false) : nullptr);
        if (left == nullptr) {
            std::free(right);
            return;
        }
        const bool openA = audibleA && finishAudio(a, left);
        bool openB = false;
        if (right != nullptr) {
            openB = finishAudio(b, right);
            mergeRight(left, right, AudioBlock);
            std::free(right);
        }
        if (openA || openB)
            recordMp3(left);
        pushAudio(left);
    }
}

void MultiSDR::run()
{
    Controller* engine = controller.load();
    if (engine == nullptr || engine->main_channelizer == nullptr || engine->audioQueue == nullptr)
        return;
    AudioOutput* output = engine->audioOutput;
    output->prepare();
    output->setFrameLength(AudioBlock);
    QLogger::logDebug(LogModule, QStringLiteral("MultiSDR::run() audio_frame_length=%1").arg(AudioBlock));
    output->start(QThread::HighestPriority);

    for (CAgc* channelAgc : engine->agc)
        channelAgc->Configure(kAgcOn, kAgcHang, kAgcThreshold, kAgcManualGain, kAgcSlope, kAgcDecayMs,
                              float(output->getSampleRate()));

    Lane laneA(0, engine->main_channelizer, engine->agc[0]);
    Lane laneB(1, engine->beacon_channelizer, engine->agc[1]);

    // The engine's slots once, then the queued installation signals.
    Demodulator* installedA = engine->currentDemodulator(0);
    Demodulator* installedB = engine->currentDemodulator(1);
    {
        std::lock_guard<std::mutex> guard(lock);
        demodA = installedA;
        demodB = installedB;
    }
    captureRemaining = 0;
    captureCount = 0;

    int inForce = ModeOff;
    while (!stopRequested) {
        const bool onA = engine->channelOn[0];
        const bool onB = engine->channelOn[1];
        rxaOn = onA;
        rxbOn = onB;
        const int wanted = modeFor(onA, onB);
        if (wanted != inForce) {
            if (!laneA.work.isEmpty())
                laneA.work.flush();
            if (!laneB.work.isEmpty())
                laneB.work.flush();
            inForce = wanted;
            mode = wanted;
            output->noChannel = wanted == ModeOff;
        }
        switch (wanted) {
        case ModeRxA:
            runSingle(laneA, false);
            break;
        case ModeRxB:
            runSingle(laneB, true);
            break;
        case ModeRxAB:
            runBoth(laneA, laneB);
            break;
        default:
            QThread::msleep(kIdleSleepMs);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            break;
        }
    }
}
