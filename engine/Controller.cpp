#include "engine/Controller.h"

#include "core/AntennaSystem.h"
#include "core/GlobalRFData.h"
#include "core/QLogger.h"
#include "core/ThreadStop.h"
#include "engine/Channelizer.h"
#include "engine/MultiSDR.h"
#include "engine/ReceiverHardware.h"
#include "engine/SampleBlockMemory.h"
#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/VisuFifo.h"
#include "engine/audio/Agc.h"
#include "engine/audio/AudioOutput.h"
#include "engine/board/BoardSettings.h"
#include "engine/record/Mp3FileWriter.h"
#include "engine/record/SDRFileReader.h"
#include "engine/record/SDRFileWriter.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QSettings>

#include <algorithm>
#include <functional>
#include <initializer_list>

namespace {
// How long the stop handshake waits for the engine thread.
constexpr int kStopTimeoutMs = 10000;
constexpr int kThreadStopTimeoutMs = 5000;

// Asks one of the engine's threads to end and waits for it within the engine's bound;
// a thread that does not end is logged.
void endBounded(QThread* thread, const char* what, const std::function<void()>& askToEnd)
{
    endThreadWithin(thread, kThreadStopTimeoutMs,
                    QStringLiteral("Controller::shutdown() the %1 does not stop").arg(QLatin1String(what)),
                    askToEnd);
}

// A thread that did not stop within its bound is taken out of the engine's children
// and left to end by itself (logged), so that the engine's end does not destroy it
// under itself; true then.
bool leaveIfRunning(QThread* thread, const char* what)
{
    if (!thread->isRunning())
        return false;
    QLogger::logError(
        LogModule, QStringLiteral("Controller::~Controller() the %1 still runs, it is left with what it uses")
                       .arg(QLatin1String(what)));
    thread->setParent(nullptr);
    return true;
}
} // namespace

Controller::Controller(const QString& audioDevice)
{
    setObjectName(QStringLiteral("Controller"));
    qRegisterMetaType<Demodulator*>("Demodulator*");
    qRegisterMetaType<SampleFifo*>("SampleFifo*");
    SampleBlockMemory::keepBlocksInHeap();

    for (int channel = 0; channel < ChannelCount; ++channel) {
        channelOn[channel] = false;
        channelLocked[channel] = false;
        stepHz[channel] = DefaultStepHz;
        ncoHz[channel] = 0.0f;
        agc[channel] = new CAgc;
    }
    main_channelizer = new Channelizer(InitialSampleRate, ChannelOutputRate);
    beacon_channelizer = new Channelizer(InitialSampleRate, ChannelOutputRate);

    // Created here, in the GUI thread, so that their slots are served there.
    AntennaSystem::instance();
    GlobalRFData::instance();

    mp3Writer = new Mp3FileWriter(this);
    demodLock = new QSemaphore(1);
    rfWriter = new SDRFileWriter(this);
    rfReader = new SDRFileReader(this);
    multiSdr = new MultiSDR(this);
    FULLBAND_FFT_LENGTH = 32768;
    audioQueue = new SampleFifo(this);
    audioOutput = new AudioOutput(audioDevice, audioQueue, this);
    // Connected here, before any thread starts and once for all the engine's
    // runs: the mixer then also learns of the channels and demodulators set
    // before the first start.
    multiSdr->setController(this);
}

Controller::~Controller()
{
    shutdown();
    QLogger::logDebug(LogModule, QStringLiteral("Controller::~Controller() "));
    // Nothing a thread still running can reach is freed: it is left to that thread.
    if (isRunning() || multiSdr->isRunning()) {
        // They reach every part of the engine (and the engine itself: its owner
        // should have kept it, see shutdown).
        QLogger::logError(LogModule, QStringLiteral("Controller::~Controller() the engine or mixing "
                                                    "thread still runs, the engine's parts are left"));
        for (QObject* part : std::initializer_list<QObject*>{multiSdr, audioOutput, audioQueue, mp3Writer,
                                                             rfWriter, rfReader})
            part->setParent(nullptr);
        return;
    }
    if (leaveIfRunning(audioOutput, "audio output"))
        audioQueue->setParent(nullptr); // what it reads
    else
        delete audioOutput;
    audioOutput = nullptr;
    // Each recorder and the player use only their own queue, their child.
    leaveIfRunning(mp3Writer, "MP3 recorder");
    leaveIfRunning(rfWriter, "raw-RF recorder");
    leaveIfRunning(rfReader, "raw-RF player");
    // The remaining QObject parts go with the engine.
    delete multiSdr;
    multiSdr = nullptr;
    delete main_channelizer;
    delete beacon_channelizer;
    for (CAgc* channelAgc : agc)
        delete channelAgc;
    delete fullband_visu_fifo;
    delete smallband_visu_fifo;
    delete demodLock;
}

void Controller::startEngine()
{
    if (!isRunning() && !shutDown)
        start(QThread::InheritPriority);
}

bool Controller::stopEngineThread()
{
    state = StopState;
    QElapsedTimer clock;
    clock.start();
    while (lastState.load() != StopState && isRunning() && clock.elapsed() < kStopTimeoutMs) {
        state = StopState;
        QThread::msleep(20);
    }
    return wait(kThreadStopTimeoutMs);
}

bool Controller::shutdown()
{
    if (!shutDown) {
        shutDown = true;
        if (!stopEngineThread())
            QLogger::logError(LogModule,
                              QStringLiteral("Controller::shutdown() the engine thread does not stop"));
        endBounded(multiSdr, "mixing thread", [this] { multiSdr->requestStop(); });
        audioOutput->stop(kThreadStopTimeoutMs);
        endBounded(mp3Writer, "MP3 recorder", [this] { mp3Writer->stopRecording(); });
        endBounded(rfWriter, "raw-RF recorder", [this] { rfWriter->stopWriting(); });
        endBounded(rfReader, "raw-RF player", [this] { rfReader->stopPlaying(); });
        detachRemoteSession();
    }
    return !isRunning() && !multiSdr->isRunning();
}

void Controller::setReceiverHardware(ReceiverHardware* hw)
{
    if (hw == nullptr)
        return;
    hardware = hw;
    setSampleRate(hw->getActualRxSampleRate());
    if (fullband_visu_fifo == nullptr)
        fullband_visu_fifo = new VisuFifo;
    if (smallband_visu_fifo == nullptr)
        smallband_visu_fifo = new VisuFifo;
    hwCenter = hw->getRxCenterFreq();
    restoreFromBoardFile();
    attachRemoteSession();
}

void Controller::restoreFromBoardFile()
{
    std::unique_ptr<QSettings> board = BoardSettings::open(hardware);

    if (hardware->getType() != ReceiverHardware::Orvex_Remote) {
        qint64 centre = BoardSettings::readCenter(*board);
        if (centre == 0) {
            const qint64 low = hardware->getMin_HWRx_CenterFreq();
            const qint64 high = hardware->getMax_HWRx_CenterFreq();
            centre = low + (high - low) / 2;
        }
        retuneHardware(centre, true);
    }

    const int stages = hardware->getRxGainStageCount();
    for (int stage = 0; stage < stages; ++stage) {
        const float low = hardware->getMinGainValue(stage);
        const float high = hardware->getMaxGainValue(stage);
        const QString key = BoardSettings::gainKey(stage + 1, stages);
        float gain = low + (high - low) * 0.5f;
        if (board->contains(key))
            gain = std::clamp(float(board->value(key).toDouble()), std::min(low, high), std::max(low, high));
        hardware->setRxGain(gain, stage);
    }

    for (int channel = 0; channel < ChannelCount; ++channel) {
        const QString key = BoardSettings::channelKey(channel, BoardSettings::ChannelNco);
        if (board->contains(key))
            setChannelOffset(channel, float(board->value(key).toDouble()));
    }
}

void Controller::saveSettings()
{
    if (hardware == nullptr)
        return;
    std::unique_ptr<QSettings> board = BoardSettings::open(hardware);
    const int stages = hardware->getRxGainStageCount();
    for (int stage = 0; stage < stages; ++stage)
        board->setValue(BoardSettings::gainKey(stage + 1, stages), double(hardware->getRxGainValue(stage)));
    if (hardware->getType() != ReceiverHardware::Orvex_Remote)
        board->setValue(BoardSettings::KeyCenter, hwCenter.load());
    for (int channel = 0; channel < ChannelCount; ++channel) {
        Channelizer* channelChain = this->channelizer(channel);
        board->setValue(BoardSettings::channelKey(channel, BoardSettings::ChannelNco),
                        double(getRxOffset(channel)));
        board->setValue(BoardSettings::channelKey(channel, BoardSettings::ChannelLowCut),
                        double(channelChain->lowCut()));
        board->setValue(BoardSettings::channelKey(channel, BoardSettings::ChannelHighCut),
                        double(channelChain->highCut()));
        if (Demodulator* demod = currentDemodulator(channel))
            board->setValue(BoardSettings::channelKey(channel, BoardSettings::ChannelMod), demod->getName());
        board->setValue(BoardSettings::channelKey(channel, BoardSettings::ChannelSquelch),
                        double(multiSdr->getSquelchLevel(channel)));
    }
}

void Controller::turnChannelOn(int channel, Demodulator* fallback)
{
    if (!validChannel(channel))
        return;
    if (fallback != nullptr && currentDemodulator(channel) == nullptr)
        installDemodulator(fallback, channel);
    channelOn[channel] = true;
    emit MSG_ChannelTurnedOnOff(channel, true);
}

void Controller::turnChannelOff(int channel)
{
    if (!validChannel(channel))
        return;
    channelOn[channel] = false;
    saveSettings();
    emit MSG_ChannelTurnedOnOff(channel, false);
}

void Controller::turnChannelsOffAtClose()
{
    const bool local = hardware != nullptr && hardware->getType() != ReceiverHardware::Orvex_Remote;
    if (local)
        saveSettings();
    for (int channel = 0; channel < ChannelCount; ++channel) {
        channelOn[channel] = false;
        if (local)
            saveSettings();
        emit MSG_ChannelTurnedOnOff(channel, false);
    }
}

Channelizer* Controller::channelizer(int channel) const
{
    return channel == 1 ? beacon_channelizer : main_channelizer;
}

void Controller::setSquelchLevel(float dbfs, int channel)
{
    multiSdr->setSquelchLevel(dbfs, channel);
}

void Controller::setSquelchLevel(float dbfs)
{
    setSquelchLevel(dbfs, 0);
}

void Controller::startRFRecording(int maxSamples)
{
    rfWriter->startWriting(maxSamples);
}

void Controller::stopRFRecording()
{
    rfWriter->stopWriting();
}

bool Controller::isRFRecording() const
{
    return rfWriter->isWriting();
}

void Controller::playRFFile()
{
    const QString name = QFileDialog::getOpenFileName(nullptr, tr("Fichier"), QStringLiteral("./record"),
                                                      tr("Enregistrements (*.orvex)"));
    if (!name.isEmpty())
        playRFFile(name);
}

bool Controller::playRFFile(const QString& fileName)
{
    return rfReader->startPlaying(fileName);
}

void Controller::stopRFPlayback()
{
    rfReader->stopPlaying();
}

bool Controller::isRFPlaying() const
{
    return rfReader->isPlaying();
}

void Controller::startMp3Recording()
{
    if (!mp3Writer->isRecording())
        mp3Writer->startRecording(hwCenter.load() + getRxOffset(0));
}

void Controller::stopMp3Recording()
{
    mp3Writer->stopRecording();
}

bool Controller::isMp3Recording() const
{
    return mp3Writer->isRecording();
}
