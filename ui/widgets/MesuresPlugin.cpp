#include "ui/widgets/MesuresPlugin.h"

#include "decoders/measure/Mesurement.h"
#include "decoders/measure/MesurementFileWriter.h"
#include "engine/Controller.h"
#include "engine/plugins/PluginManager.h"
#include "ui/widgets/zxPushButton.h"

#include <QDebug>
#include <QLCDNumber>
#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

const QString MesuresPlugin::Name = QStringLiteral("mesure");

namespace {

constexpr int kMinimumDigits = 8;
// How long a press waits for a run that is still draining before starting anew.
constexpr unsigned long kDrainWaitMs = 500;

} // namespace

MesuresPlugin::MesuresPlugin()
    : lcd(new QLCDNumber(kMinimumDigits, this)), recordButton(new zxPushButton(tr("Enregistrer"), this)),
      errorLabel(new QLabel(this))
{
    qRegisterMetaType<Demodulator*>("Demodulator*");
    name = Name;
    title = tr("Mesures");
    listable = false;

    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignHCenter);
    layout->setContentsMargins(0, 0, 0, 0);
    lcd->setSegmentStyle(QLCDNumber::Flat);
    QPalette palette = lcd->palette();
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::WindowText, Qt::yellow);
    lcd->setPalette(palette);
    setValue(0);
    layout->addWidget(lcd);
    recordButton->setToolTip(tr("Enregistrer"));
    layout->addWidget(recordButton);
    errorLabel->setStyleSheet("QLabel { color : red; }");
    errorLabel->setWordWrap(true);
    errorLabel->hide();
    layout->addWidget(errorLabel);
    connect(recordButton, &QToolButton::pressed, this, &MesuresPlugin::SLOT_record_pressed);
    hide();
}

void MesuresPlugin::registerBuiltIn()
{
    PluginManager::addBuiltInFactory([] { return new MesuresPlugin(); });
}

void MesuresPlugin::setController(Controller* c)
{
    if (!c)
        return;
    controller = c;
    connect(c, &Controller::MSG_newDemodulatorInstalled, this, &MesuresPlugin::SLOT_newDemodulatorInstalled,
            static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection));
}

QString MesuresPlugin::formatElapsed(int secs)
{
    const QChar zero('0');
    return QString("%1:%2:%3")
        .arg(secs / 3600, 2, 10, zero)
        .arg(secs % 3600 / 60, 2, 10, zero)
        .arg(secs % 60, 2, 10, zero);
}

bool MesuresPlugin::isRecordOn() const
{
    return recordButton->getState();
}

QString MesuresPlugin::errorText() const
{
    return errorLabel->isHidden() ? QString() : errorLabel->text();
}

void MesuresPlugin::followWriter(Mesurement* mes)
{
    MesurementFileWriter* writer = mes->getWriter();
    const auto type = static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::UniqueConnection);
    connect(writer, &QThread::finished, this, &MesuresPlugin::SLOT_recordingEnded, type);
    connect(writer, &MesurementFileWriter::recordingFailed, this, &MesuresPlugin::SLOT_recordingFailed, type);
}

void MesuresPlugin::SLOT_newDemodulatorInstalled(Demodulator* demod, int channel)
{
    if (channel != 0)
        return;
    // No demodulator: the one that was there may be gone with its panel.
    if (demod != nullptr && demod->getName() == Mesurement::Name) {
        measurement = static_cast<Mesurement*>(demod);
        followWriter(measurement);
        show();
        emit showMe(name);
    } else {
        measurement = nullptr;
        hide();
        emit hideMe(name);
    }
}

void MesuresPlugin::SLOT_record_pressed()
{
    if (!measurement) {
        recordButton->setState(false);
        return;
    }
    MesurementFileWriter* writer = measurement->getWriter();
    if (writer->isRecording()) {
        if (!writer->isStopRequested()) {
            qDebug() << "MesurementFileWriter::stopWriting";
            writer->requestStop();
        }
        recordButton->setState(false);
        return;
    }
    // A run that was asked to stop may still be draining its queue: give it a
    // moment rather than showing a recording that never starts.
    if (writer->isRunning() && !writer->wait(kDrainWaitMs)) {
        recordButton->setState(false);
        return;
    }
    qDebug() << "MesurementFileWriter::startWriting";
    errorLabel->hide();
    writer->setSampleLimit(0);
    writer->setEmitWhenDone(false);
    recordButton->setState(writer->startRecording(QThread::InheritPriority));
}

void MesuresPlugin::SLOT_recordingEnded()
{
    // The end of an earlier run may arrive after a press started the next one.
    auto* writer = qobject_cast<MesurementFileWriter*>(sender());
    if (writer && writer->isRunning())
        return;
    recordButton->setState(false);
}

void MesuresPlugin::SLOT_recordingFailed(QString reason)
{
    errorLabel->setText(tr("Enregistrement interrompu : %1").arg(reason));
    errorLabel->show();
    recordButton->setState(false);
}

void MesuresPlugin::SLOT_setBand(int bandwidth)
{
    if (controller)
        controller->setBBLowHighCut(-1000.0f * bandwidth, 1000.0f * bandwidth, 0, true);
}

void MesuresPlugin::SLOT_changeCBAudioIQ(int value)
{
    if (measurement)
        measurement->setIQMode(value == 1);
}

void MesuresPlugin::SLOT_newBBLowHighCutSet(int, int, int) {}

void MesuresPlugin::setCurrentBand(float)
{
    show();
}

void MesuresPlugin::hidePanel()
{
    emit hideMe(name);
    hide();
}

void MesuresPlugin::setValue(int secs)
{
    show();
    shownTime = formatElapsed(secs);
    // Past 99 hours the hour field grows; the display grows with it.
    lcd->setDigitCount(std::max(kMinimumDigits, static_cast<int>(shownTime.size())));
    lcd->display(shownTime);
}
