// What the window does when the operator uses a control, presses a key, or
// when the engine, the GPS reader, the accessory link, the remote server or
// the version check report something.
#include "FrontPanel.h"

#include "BookmarkRows.h"
#include "IQCorrectionWidget.h"
#include "ReceiverRange.h"
#include "SpotName.h"
#include "UtcClockText.h"
#include "core/ProgramSettings.h"
#include "engine/Controller.h"
#include "engine/ReceiverHardware.h"
#include "engine/audio/AudioOutput.h"
#include "engine/plugins/PluginManager.h"
#include "hardware/RemoteReceiverHardware.h"
#include "hardware/version/zxVersionChecker.h"
#include "lists/UserNotice.h"
#include "lists/dbRadioSegment.h"
#include "lists/memories/MemoryManagementWindow.h"
#include "map/geo/GeoTools.h"
#include "scripting/ScriptCore.h"
#include "srvlib/SrvServer.h"
#include "ui/panels/MainReceiver.h"
#include "ui/scanner/SpottedList.h"
#include "ui/widgets/CFreqCtrl.h"
#include "ui/widgets/CMeter.h"
#include "ui/widgets/IndicatorPanel.h"
#include "ui/widgets/zxPushButton.h"

#include <QComboBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLCDNumber>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStringList>
#include <QTabWidget>

namespace {

// Balance ends: all of the sound from RX A, or from RX B.
constexpr int BalanceAllA = -10;
constexpr int BalanceAllB = 10;

} // namespace

void FrontPanel::SLOT_userTunesFreqWidget(qlonglong newFrequency)
{
    if (controller == nullptr)
        return;
    const qint64 centre = controller->getRxCenterFreq();
    const int halfRate = controller->getSampleRate() / 2;
    if (qAbs(newFrequency - centre) > halfRate)
        controller->tuneChannel(newFrequency, 0, 0);
    else
        controller->setRxOffset(int(newFrequency - centre), 0);
}

void FrontPanel::tuneBothChannels(qint64 offset)
{
    if (controller == nullptr)
        return;
    controller->setRxOffset(int(offset), 0);
    controller->setRxOffset(int(offset), 1);
}

void FrontPanel::SLOT_PrimaryToSecondary()
{
    if (controller != nullptr)
        controller->setRxOffset(controller->getRxOffset(0), 1);
}

void FrontPanel::SLOT_SecondaryToPrimary()
{
    if (controller != nullptr)
        controller->setRxOffset(controller->getRxOffset(1), 0);
}

void FrontPanel::SLOT_SwapPrimarySecondary()
{
    if (controller == nullptr)
        return;
    const int offsetA = controller->getRxOffset(0);
    const int offsetB = controller->getRxOffset(1);
    controller->setRxOffset(offsetB, 0);
    controller->setRxOffset(offsetA, 1);
}

void FrontPanel::SLOT_balancePrimSecChanged(int value)
{
    if (controller != nullptr && controller->audioOutput != nullptr)
        controller->audioOutput->setBalance(value);
    if (value == BalanceAllA)
        tabs->setCurrentIndex(0);
    else if (value == BalanceAllB)
        tabs->setCurrentIndex(1);
}

void FrontPanel::SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel)
{
    if (channel != 0)
        return;
    freqCtrl->showFrequency(hwRXCenter + qint64(newFrequency));
    if (hwRXCenter != lastRetunedCentre) {
        lastRetunedCentre = hwRXCenter;
        spotList->resetThreshold();
    }
}

void FrontPanel::SLOT_accessoryCommand(QString cmd, int arg, int value)
{
    if (cmd == QLatin1String("FRQ")) {
        if (controller == nullptr)
            return;
        const int channel = activePanel == 0 ? 0 : 1;
        controller->setRxOffset(controller->getRxOffset(channel) + arg, channel);
    } else if (cmd == QLatin1String("INDICATOR")) {
        indicators->SLOT_updateIndicator(arg, value);
    }
}

void FrontPanel::SLOT_setSMeterLevel(float dbfs)
{
    meter->setLevel(dbfs);
}

void FrontPanel::SLOT_RXcoverageUpdated(int channel, double fstart, double fstop)
{
    emit SIG_VisibleSegmentsChanged(channel, fstart, fstop);
}

void FrontPanel::SLOT_ChannelTurnedOnOff(int channel, bool on_off)
{
    if (controller == nullptr)
        return;
    if (!on_off) {
        recordButton->setState(controller->isRFRecording());
        playButton->setState(controller->isRFPlaying());
        mp3Button->setState(controller->isMp3Recording());
        controller->saveSettings();
        return;
    }
    const int other = channel == 0 ? 1 : 0;
    if (controller->audioOutput == nullptr || controller->channelOn[other])
        return;
    // Only one channel on: all of the sound is that channel's.
    controller->audioOutput->setBalance(channel == 0 ? BalanceAllA : BalanceAllB);
}

void FrontPanel::SLOT_FileReaderStarts()
{
    playButton->setState(true);
}

void FrontPanel::SLOT_FileReaderStops()
{
    playButton->setState(false);
}

void FrontPanel::SLOT_FileWriterStarts()
{
    recordButton->setState(true);
}

void FrontPanel::SLOT_FileWriterStops()
{
    recordButton->setState(false);
}

void FrontPanel::endProgram()
{
    // Leaves through the event loop, so that the window's orderly end runs.
    close();
}

void FrontPanel::SLOT_ChangeActivePanel(int index)
{
    activePanel = index;
}

void FrontPanel::SLOT_doIQCorrection()
{
    delete iqCorrection.data();
    if (controller == nullptr || controller->getReceiverHardware() == nullptr)
        return;
    iqCorrection = new IQCorrectionWidget(controller, this);
    iqCorrection->setTargetBoard(controller->getReceiverHardware(), controller->getRxOffset(0));
    iqCorrection->show();
}

void FrontPanel::SLOT_rewind2()
{
    if (controller != nullptr && controller->audioOutput != nullptr)
        controller->audioOutput->audioRewind(2);
}

void FrontPanel::SLOT_rewind4()
{
    if (controller != nullptr && controller->audioOutput != nullptr)
        controller->audioOutput->audioRewind(4);
}

void FrontPanel::SLOT_selectBand(int index)
{
    if (index == 0) {
        emit SIG_UserSelectsBand(-1, -1);
        return;
    }
    if (index < 0 || controller == nullptr)
        return;
    auto* segment = static_cast<dbRadioSegment*>(bandCombo->itemData(index).value<void*>());
    if (segment == nullptr)
        return;
    const qint64 start = qint64(segment->FSTART);
    const qint64 stop = qint64(segment->FSTOP);
    controller->setHwCenterFreq(start + (stop - start) / 2, true);
    emit SIG_UserSelectsBand(start, stop);
}

void FrontPanel::SLOT_startStopRecordToFile()
{
    if (controller == nullptr)
        return;
    if (controller->isRFRecording()) {
        controller->stopRFRecording();
        recordButton->setState(false);
    } else {
        controller->startRFRecording(0);
        // A recording that cannot start (its thread still ending) leaves it off.
        recordButton->setState(controller->isRFRecording());
    }
}

void FrontPanel::SLOT_startStopReadFromFile()
{
    if (controller == nullptr)
        return;
    if (controller->isRFPlaying()) {
        controller->stopRFPlayback();
        playButton->setState(false);
    } else {
        controller->playRFFile();
        // Cancelling the file dialog, or a file that does not play, leaves it off.
        playButton->setState(controller->isRFPlaying());
    }
}

void FrontPanel::SLOT_startStopSaveMP3()
{
    if (controller == nullptr)
        return;
    if (controller->isMp3Recording()) {
        controller->stopMp3Recording();
        mp3Button->setState(false);
    } else {
        controller->startMp3Recording();
        mp3Button->setState(controller->isMp3Recording());
    }
}

void FrontPanel::SLOT_gps_hasError(int) {}

void FrontPanel::SLOT_gps_hasGpsFix(float latitude, float longitude)
{
    GeoTools::instance().setStationLocation(longitude, latitude);
}

void FrontPanel::SLOT_gps_hasGpsTime(int, int, int, int hour, int min, int sec, int msec)
{
    utcClock->display(utcClockText(hour, min, sec, msec));
}

void FrontPanel::SLOT_rpc_SetModulation(int channel, QString modulation_name, int low, int high)
{
    if (channel == 0)
        rxA->SLOT_setModulatorByName(modulation_name, low, high);
}

void FrontPanel::SLOT_NewVersionAvailable(double)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tarnx"),
                    tr("Nouvelle version disponible<br/>Rendez-vous sur ") + zxVersionChecker::webSiteAddress(), QMessageBox::Yes);
    box.exec();
}

void FrontPanel::SLOT_setSquelch(int level)
{
    if (controller != nullptr)
        controller->setSquelchLevel(float(level), 0);
}

void FrontPanel::SLOT_setSquelchB(int level)
{
    if (controller != nullptr)
        controller->setSquelchLevel(float(level), 1);
}

void FrontPanel::SLOT_setStep(int index)
{
    const QVariant data = stepCombo->itemData(index);
    if (data.isNull() || controller == nullptr)
        return;
    const int step = data.toInt();
    if (step > 0)
        controller->setStepSize(step, 0);
}

void FrontPanel::SLOT_lockChannelizer()
{
    if (controller == nullptr)
        return;
    controller->setChannelLock(!controller->isChannelLocked(0), 0);
    const bool locked = controller->isChannelLocked(0);
    freqCtrl->setLocked(locked);
    rxA->setTuningLocked(locked);
    lockButton->setText(locked ? "UNLOCK" : "LOCK");
    lockButton->setToolTip(locked ? tr("Deverouiller le recepteur") : tr("Verouiller le recepteur"));
}

void FrontPanel::SLOT_stepUp()
{
    if (controller != nullptr && !controller->isChannelLocked(0))
        controller->stepUp(0);
}

void FrontPanel::SLOT_stepDown()
{
    if (controller != nullptr && !controller->isChannelLocked(0))
        controller->stepDown(0);
}

void FrontPanel::SLOT_manageMemories()
{
    if (controller == nullptr)
        return;
    {
        MemoryManagementWindow dialog(controller, 0);
        dialog.setCurrentFrequency(rxA->getTunedFrequency());
        dialog.exec();
    }
    reloadMemories();
    emit SIG_RefreshBookmarks();
}

void FrontPanel::reloadMemories()
{
    const ReceiverRange range = ReceiverRange::of(controller->getReceiverHardware());
    BookmarkRows::loadMemories(range.low, range.high, bookmarkRows);
}

void FrontPanel::SLOT_SpotThis()
{
    if (controller == nullptr)
        return;
    auto* remote = dynamic_cast<RemoteReceiverHardware*>(controller->getReceiverHardware());
    if (remote == nullptr || remote->getType() != ReceiverHardware::Orvex_Remote ||
        remote->server() == nullptr)
        return;
    bool accepted = false;
    const QString text = QInputDialog::getText(nullptr, tr("Partager frequence"), tr("Nom:"),
                                               QLineEdit::Normal, QString(), &accepted);
    if (!accepted)
        return;
    bool shortened = false;
    const QByteArray name = SpotName::forServer(text, &shortened);
    const bool sent = remote->server()->sendSpot(name.constData(), rxA->getTunedFrequency());
    QStringList problems;
    if (!sent)
        problems << tr("Le serveur n'a pas accepte la frequence : elle n'est pas partagee.");
    if (shortened)
        problems << tr("Le nom est trop long : il a ete raccourci a %1 octets (%2).")
                        .arg(SpotName::MaxBytes)
                        .arg(QString::fromLocal8Bit(name));
    if (!problems.isEmpty())
        UserNotice::show(this, problems.join('\n'));
}

void FrontPanel::SLOT_userButton(int choice)
{
    std::unique_ptr<QSettings> settings = ProgramSettings::open();
    settings->beginGroup("Interface");
    const QString action = settings->value("ACTION_" + QString::number(choice + 1)).toString();
    settings->endGroup();
    if (action.isEmpty())
        return;
    // Script source when it begins with "orvex.", otherwise a script file's path.
    ScriptCore::instance()->runAction(action);
}

void FrontPanel::SLOT_WHATSONRequest(int key)
{
    // The broadcast-schedule plug-in shows the station; without it, nothing happens.
    PluginManager::instance()->invokePluginMethod("WHATSON", "showStation", {key}, Qt::AutoConnection);
}

void FrontPanel::SLOT_muteAudio()
{
    if (controller == nullptr || controller->audioOutput == nullptr)
        return;
    if (!controller->audioOutput->mixdown().isMuted()) {
        controller->audioOutput->mute();
        muteButton->setState(true);
    } else {
        controller->audioOutput->unmute();
        muteButton->setState(false);
    }
}

void FrontPanel::SLOT_VantorUpdateIndicator(QString name, double value)
{
    if (indicators != nullptr)
        indicators->SLOT_updateIndicatorValue(name, value);
}

void FrontPanel::SLOT_VantorConnectionLost()
{
    // The report is queued and may come again while the box is open: the box
    // runs no event loop of its own, and one is enough.
    if (linkLostBox != nullptr)
        return;
    linkLostBox =
        new QMessageBox(QMessageBox::NoIcon, QStringLiteral("Tarnx"),
                        tr("La connection avec le serveur Beamhost est interrompue"), QMessageBox::Yes, this);
    linkLostBox->setAttribute(Qt::WA_DeleteOnClose);
    linkLostBox->setWindowModality(Qt::ApplicationModal);
    linkLostBox->show();
}

void FrontPanel::keyPressEvent(QKeyEvent* event)
{
    const auto selectMode = [this](const char* mode) { rxA->SLOT_setModulatorByName(mode, 0, 0); };
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Right:
        SLOT_stepUp();
        break;
    case Qt::Key_Minus:
    case Qt::Key_Left:
        SLOT_stepDown();
        break;
    case Qt::Key_A:
        selectMode("AM");
        break;
    case Qt::Key_C:
        selectMode("CW");
        break;
    case Qt::Key_F:
        selectMode("NBFM");
        break;
    case Qt::Key_L:
        selectMode("LSB");
        break;
    case Qt::Key_U:
        selectMode("USB");
        break;
    case Qt::Key_F1:
        tabs->setCurrentIndex(0);
        break;
    case Qt::Key_F2:
        tabs->setCurrentIndex(1);
        break;
    default:
        break;
    }
}
