// Attaching the engine: gain sliders, the frequency entry's range, the engine's
// signals, every panel, the remote receiver's extras, the stored squelch
// levels, the threads beside the engine, the bookmarks, then the engine thread.
#include "FrontPanel.h"

#include "BookmarkRows.h"
#include "ReceiverRange.h"
#include "TimeDomain.h"
#include "core/QLogger.h"
#include "decoders/adsb/ADSBReceiver.h"
#include "engine/Controller.h"
#include "engine/ReceiverHardware.h"
#include "engine/audio/AudioOutput.h"
#include "engine/board/BoardSettings.h"
#include "engine/record/Mp3FileWriter.h"
#include "engine/record/SDRFileReader.h"
#include "engine/record/SDRFileWriter.h"
#include "hardware/RemoteReceiverHardware.h"
#include "hardware/accessory/AccessoryComm.h"
#include "map/gps/GPSD.h"
#include "scripting/ScriptCore.h"
#include "ui/remoteui/RemoteChatUI.h"
#include "lists/UserNotice.h"
#include "lists/dbRadioSegment.h"
#include "mappanel/DemUI.h"
#include "ui/panels/MainReceiver.h"
#include "ui/panels/SubReceiver.h"
#include "ui/remoteui/RemoteSpectrumView.h"
#include "ui/scanner/SpottedList.h"
#include "ui/widgets/CFreqCtrl.h"
#include "ui/widgets/CMeter.h"
#include "ui/widgets/HWSettingWrapper.h"
#include "ui/widgets/LayoutPanels.h"
#include "ui/widgets/zxPushButton.h"
#include "ui/widgets/zxSlider.h"

#include <QComboBox>
#include <QDebug>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>

namespace {

constexpr int FrequencyDigits = 11;
constexpr int FrequencyResolution = 10;
constexpr int UnitMHz = 2;

} // namespace

void FrontPanel::setBandPlan(const QList<dbRadioSegment*>& segments)
{
    bandPlan = segments;
    bandCombo->clear();
    bandCombo->addItem(tr("General"));
    for (dbRadioSegment* segment : segments) {
        if (segment != nullptr)
            bandCombo->addItem(segment->NAME, QVariant::fromValue(static_cast<void*>(segment)));
    }
    bandCombo->setCurrentIndex(0);
}

void FrontPanel::setController(Controller* engine)
{
    if (engine == nullptr || controller != nullptr)
        return;
    if (engine->getReceiverHardware() == nullptr) {
        qDebug() << "FrontPanel::setController rx NULL ???";
        return;
    }
    controller = engine;
    buildGainSliders();

    const ReceiverRange range = ReceiverRange::of(controller->getReceiverHardware());
    freqCtrl->setup(FrequencyDigits, range.low, range.high, FrequencyResolution, UnitMHz);

    connect(controller, &Controller::MSG_ChannelizerIsRetuned, this, &FrontPanel::SLOT_ChannelizerIsRetuned,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_ChannelTurnedOnOff, this, &FrontPanel::SLOT_ChannelTurnedOnOff);
    connect(controller, &Controller::MSG_FileWriterStarts, this, &FrontPanel::SLOT_FileWriterStarts,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_FileWriterStops, this, &FrontPanel::SLOT_FileWriterStops,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_FileReaderStarts, this, &FrontPanel::SLOT_FileReaderStarts,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_FileReaderStops, this, &FrontPanel::SLOT_FileReaderStops,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_UpdatePowerLevelMain, meter, &CMeter::setLevel, Qt::QueuedConnection);
    attachRecorders();

    attachPanels();
    if (controller->getReceiverHardware()->getType() == ReceiverHardware::Orvex_Remote)
        attachRemoteReceiver();
    restoreSquelchLevels();
    attachSideThreads();
    if (controller->audioOutput != nullptr)
        connect(volume, &zxSlider::valueChanged, controller->audioOutput, &AudioOutput::setVolumePrct);
    loadBookmarks();
    controller->startEngine();
    attachScriptCore();
}

void FrontPanel::buildGainSliders()
{
    ReceiverHardware* hw = controller->getReceiverHardware();
    for (int stage = 0; stage < hw->getRxGainStageCount(); ++stage) {
        auto* slider = new zxSlider(hw->getRxGainStageName(stage), gainPanel);
        slider->setRange(hw->getMinGainValue(stage), hw->getMaxGainValue(stage));
        slider->setValueQuiet(hw->getRxGainValue(stage));
        gainPanel->addWidget(slider);
        auto* wrapper = new HWSettingWrapper(this);
        wrapper->hardware = hw;
        wrapper->stage = stage;
        connect(slider, &zxSlider::valueChanged, wrapper, &HWSettingWrapper::SLOT_setGain);
    }
}

void FrontPanel::attachPanels()
{
    rxA->setController(controller);
    freqCtrl->showFrequency(controller->getRxCenterFreq() + controller->getRxOffset(0));
    rxB->setController(controller);
    spotList->setController(controller, 0);
    attachMapPanel();
    timeDomain->setController(controller);
}

void FrontPanel::attachRecorders()
{
    // The threads report from their own thread: queued here, each reaction
    // reads the engine's state as it is when it runs.
    connect(controller->rfWriter, &SDRFileWriter::recordingFailed, this,
            [this](const QString& message) { UserNotice::show(this, message); });
    connect(controller->rfWriter, &QThread::finished, this,
            [this] { recordButton->setState(controller->isRFRecording()); });
    connect(controller->mp3Writer, &Mp3FileWriter::recordingFailed, this,
            [this](const QString& message) { UserNotice::show(this, message); });
    connect(controller->mp3Writer, &QThread::finished, this,
            [this] { mp3Button->setState(controller->isMp3Recording()); });
    connect(controller->rfReader, &SDRFileReader::SIG_playbackFailed, this, [this](const QString& message) {
        UserNotice::show(this, tr("La lecture s'est arretee : l'enregistrement est endommage ou illisible.\n%1")
                                   .arg(message));
    });
    connect(controller->rfReader, &QThread::finished, this,
            [this] { playButton->setState(controller->isRFPlaying()); });
}

void FrontPanel::attachMapPanel()
{
    mapPanel->setController(controller);
    connect(this, &FrontPanel::SIG_UserSelectsBand, mapPanel, &DemUI::SLOT_BandSelected, Qt::QueuedConnection);
}

void FrontPanel::attachRemoteReceiver()
{
    calibrateButton->setEnabled(false);
    calibrateButton->setToolTip(tr("Calibration RX - uniquement recepteurs locaux"));
    auto* remoteView = new RemoteSpectrumView();
    remoteSpectrum = remoteView;
    tabs->addTab(remoteView, tr("Remote Spectrum"));
    remoteView->setController(controller);
    chat->setController(controller);
    connect(controller, &Controller::MSG_RefreshBookmarks, rxA, &MainReceiver::SLOT_RefreshBookmarks,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_RefreshBookmarks, rxB, &SubReceiver::SLOT_RefreshBookmarks,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_VantorUpdateIndicator, this, &FrontPanel::SLOT_VantorUpdateIndicator,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_VantorLinkLost, this, &FrontPanel::SLOT_VantorConnectionLost,
            Qt::QueuedConnection);
    auto* remote = dynamic_cast<RemoteReceiverHardware*>(controller->getReceiverHardware());
    BookmarkRows::loadRemote(remote != nullptr ? remote->server() : nullptr, bookmarkRows);
}

void FrontPanel::restoreSquelchLevels()
{
    std::unique_ptr<QSettings> board = BoardSettings::open(controller->getReceiverHardware());
    const struct
    {
        int channel;
        zxSlider* slider;
    } squelches[] = {{0, squelchA}, {1, squelchB}};
    for (const auto& squelch : squelches) {
        const QString key = BoardSettings::channelKey(squelch.channel, BoardSettings::ChannelSquelch);
        if (!board->contains(key))
            continue;
        const double level = board->value(key).toDouble();
        // Only a change reaches the engine: the slider emits nothing for its own value.
        if (int(level) != int(squelch.slider->value()))
            squelch.slider->setValue(float(level));
    }
}

void FrontPanel::attachSideThreads()
{
    if (accessory != nullptr) {
        accessory->setController(controller);
        accessory->loadSettings();
    }
    if (gps != nullptr && !gps->isRunning() && gps->isPortOpen())
        gps->start(QThread::LowestPriority);
}

void FrontPanel::loadBookmarks()
{
    QLogger::logTrace(LogModule, "Loading beacon def");
    const ReceiverRange range = ReceiverRange::of(controller->getReceiverHardware());
    BookmarkRows::loadBeacons(range.low, range.high, bookmarkRows);
    BookmarkRows::loadMemories(range.low, range.high, bookmarkRows);
}

void FrontPanel::attachScriptCore()
{
    ScriptCore::instance()->setController(controller, rxA);
}

void FrontPanel::setADSBReceiver(QObject* receiver)
{
    // The map panel shows the receiver's aircraft and starts it.
    mapPanel->setADSBReceiver(qobject_cast<ADSBReceiver*>(receiver));
}
