#include "ui/panels/SubReceiver.h"

#include "core/QLogger.h"
#include "engine/Controller.h"
#include "lists/memories/MemoryManagementWindow.h"
#include "ui/panels/PanelStyle.h"
#include "ui/plotter/CPlotter.h"
#include "ui/widgets/CFreqCtrl.h"
#include "ui/widgets/CMeter.h"
#include "ui/widgets/ModulationSelector.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>

namespace {

struct Step
{
    const char* label;
    int hz;
};
const Step Steps[] = {{"1 KHz", 1000},     {"2.5 KHz", 2500},   {"5 KHz", 5000},     {"6.25 KHz", 6250},
                      {"8.33 KHz", 8330},  {"9 KHz", 9000},     {"10 KHz", 10000},   {"12.5 KHz", 12500},
                      {"25 KHz", 25000},   {"100 KHz", 100000}, {"500 KHz", 500000}, {"1 MHz", 1000000},
                      {"10 MHz", 10000000}};

QPushButton* squareButton(const QString& text, int maxWidth, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setMaximumWidth(maxWidth);
    button->setFixedHeight(40);
    return button;
}
} // namespace

SubReceiver::SubReceiver(bool withMeasurement, QWidget* parent) : QWidget(parent)
{
    QLogger::logTrace(LogModule, QStringLiteral("SubReceiver::SubReceiver() "));
    QLogger::logTrace(LogModule, QStringLiteral("SubReceiver::SubReceiver() new CPlotter()"));
    plotter = new CPlotter(this);
    plotter->setCenterFreq(1000000);
    plotter->setDemodFreq(1000000);
    plotter->setSpan(16000);
    plotter->setCutsUnchecked(0, 2800);
    plotter->updateOverlay();
    plotter->setMaxDb(-90);
    plotter->setMinDb(-140);
    plotter->setFftFill(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(buildTopBar());

    auto* middle = new QHBoxLayout();
    middle->setContentsMargins(0, 0, 0, 0);
    middle->addWidget(plotter);
    if (withMeasurement) {
        auto* room = new QWidget(this);
        room->setMinimumWidth(200);
        middle->addWidget(room);
    }
    layout->addLayout(middle);

    QWidget* bottom = makePanelBar(this);
    auto* bottomLayout = new QHBoxLayout(bottom);
    bottomLayout->setContentsMargins(0, 0, 0, 0);
    bottomLayout->setAlignment(Qt::AlignLeft);
    onOffButton = new QPushButton(tr("Marche"), bottom);
    onOffButton->setToolTip(tr("Mettre en marche/arreter le recepteur"));
    bottomLayout->addWidget(onOffButton);
    modulationSelector = new ModulationSelector(withMeasurement, this);
    modulationSelector->setMaximumHeight(100);
    bottomLayout->addWidget(modulationSelector);
    layout->addWidget(bottom);

    repaintTimer = new QTimer(this);
    connect(repaintTimer, &QTimer::timeout, this, &SubReceiver::SLOT_repaintSpectrum);
    connect(plotter, &CPlotter::newDemodFreq, this, &SubReceiver::SLOT_NewDemodFreq);
    connect(freqCtrl, &CFreqCtrl::newFrequency, this, &SubReceiver::SLOT_userTunesFreqWidget);
    connect(plotter, &CPlotter::newSpan, this, &SubReceiver::on_newSpectrumSpan);
    connect(plotter, &CPlotter::newFilterFreq, this, &SubReceiver::SLOT_newFilterFreq);
    QLogger::logTrace(LogModule, QStringLiteral("SubReceiver::SubReceiver() done"));
}

QWidget* SubReceiver::buildTopBar()
{
    QWidget* bar = makePanelBar(this);
    bar->setFixedHeight(40);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setAlignment(Qt::AlignLeft);

    auto* indent = new QWidget(bar);
    indent->setMinimumWidth(20);
    row->addWidget(indent);
    auto* memories = new QPushButton(QStringLiteral("*"), bar);
    memories->setMaximumWidth(25);
    memories->setToolTip(tr("Gestion des memoires"));
    row->addWidget(memories);
    freqCtrl = new CFreqCtrl(bar);
    freqCtrl->setMaximumHeight(40);
    freqCtrl->setMinimumWidth(200);
    freqCtrl->setMaximumWidth(400);
    row->addWidget(freqCtrl);

    auto* group = new QWidget(bar);
    auto* groupRow = new QHBoxLayout(group);
    groupRow->setContentsMargins(0, 0, 0, 0);
    groupRow->setAlignment(Qt::AlignLeft);
    QPushButton* down = squareButton(QStringLiteral("<"), 25, group);
    stepBox = new QComboBox(group);
    stepBox->setFixedHeight(40);
    for (const Step& step : Steps)
        stepBox->addItem(QString::fromLatin1(step.label), step.hz);
    lockButton = squareButton(QStringLiteral("LOCK"), 50, group);
    QPushButton* up = squareButton(QStringLiteral(">"), 25, group);
    for (QWidget* w : {static_cast<QWidget*>(down), static_cast<QWidget*>(stepBox),
                       static_cast<QWidget*>(lockButton), static_cast<QWidget*>(up)})
        groupRow->addWidget(w);
    row->addWidget(group);

    auto* gap = new QWidget(bar);
    gap->setMinimumWidth(50);
    row->addWidget(gap);
    meter = new CMeter(-120, 0, bar);
    meter->setMaximumWidth(300);
    meter->setToolTip(tr("Affichage niveau recu en dB"));
    row->addWidget(meter);

    // Connected after filling: the first item would announce itself as a step.
    connect(stepBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &SubReceiver::SLOT_setStep);
    connect(down, &QPushButton::pressed, this, &SubReceiver::SLOT_stepDown);
    connect(up, &QPushButton::pressed, this, &SubReceiver::SLOT_stepUp);
    connect(lockButton, &QPushButton::pressed, this, &SubReceiver::SLOT_lockChannelizer);
    connect(memories, &QPushButton::clicked, this, &SubReceiver::SLOT_manageMemories);
    return bar;
}

void SubReceiver::setController(Controller* engine)
{
    controller = engine;
    if (controller == nullptr)
        return;
    visuFifo = controller->smallband_visu_fifo;
    connect(controller, &Controller::MSG_ChannelizerIsRetuned, this, &SubReceiver::SLOT_ChannelizerIsRetuned,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_newDemodulatorInstalled, this,
            &SubReceiver::SLOT_newModulatorInstalled, Qt::QueuedConnection);
    connect(controller, &Controller::MSG_newBBLowHighCutSet, this, &SubReceiver::SLOT_newBBLowHighCutSet,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_ChannelTurnedOnOff, this, &SubReceiver::MSG_ChannelIsTurnedOnOff,
            Qt::QueuedConnection);
    connect(onOffButton, &QPushButton::pressed, this, &SubReceiver::SLOT_userSetOnOff);
    modulationSelector->setController(controller, 1);
    if (Demodulator* installed = controller->currentDemodulator(1)) {
        demodulator = installed;
        plotter->setFilterCutLimits(installed->minLow, installed->maxLow, installed->minHigh,
                                    installed->maxHigh, installed->mirrored);
    } else {
        modulationSelector->loadSaveSettings();
    }
}

bool SubReceiver::isRepainting() const
{
    return repaintTimer->isActive();
}

void SubReceiver::SLOT_repaintSpectrum()
{
    if (visuFifo == nullptr)
        return;
    const DisplayFrame frame = displayPath.process(*visuFifo);
    if (!frame.processed)
        return;
    plotter->setNewSpectrum(displayPath.smoothed(), displayPath.length());
    if (std::fabs(float(frame.rate) - float(plotter->getSampleRate())) > 1 && frame.centre > 0) {
        if (frame.rate > 0)
            plotter->setSampleRate(frame.rate);
        plotter->setSpan(frame.rate);
        plotter->setCenterFreq(frame.centre + frame.offset);
        freqCtrl->setFrequency(frame.centre + frame.offset);
    }
}

void SubReceiver::SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel)
{
    if (controller == nullptr)
        return;
    if (channel == 0) {
        const int rate = controller->getSampleRate();
        freqCtrl->setup(11, hwRXCenter - rate / 2, hwRXCenter + rate / 2, 10, 2);
        // Shown, not asked for again: a report read after the centre moved on
        // (a playback, a fast retune) would pull RX B off its frequency.
        freqCtrl->showFrequency(hwRXCenter + controller->getRxOffset(1));
    } else if (channel == 1) {
        const qint64 f = hwRXCenter + qint64(newFrequency);
        freqCtrl->showFrequency(f);
        {
            const QSignalBlocker blocker(plotter);
            plotter->setCenterFreq(f);
            plotter->setDemodFreq(f);
            plotter->moveToCenterFreq();
        }
        emit SIGNAL_RXcoverageUpdated(1, double(f - CoverageSpan / 2), double(f + CoverageSpan / 2));
    }
}

void SubReceiver::SLOT_stepFrequency(int) {}

void SubReceiver::SLOT_newModulatorInstalled(Demodulator* new_demod, int channel)
{
    if (channel != 1 || new_demod == nullptr)
        return;
    demodulator = new_demod;
    if (new_demod->mirrored) {
        plotter->setFilterCutLimits(-new_demod->maxHigh, -new_demod->minHigh, new_demod->minHigh,
                                    new_demod->maxHigh, true);
        const int high = int(new_demod->getHighEdge());
        plotter->setFilterCuts(-high, high);
    } else {
        plotter->setFilterCutLimits(new_demod->minLow, new_demod->maxLow, new_demod->minHigh,
                                    new_demod->maxHigh, false);
        plotter->setFilterCuts(int(new_demod->getLowEdge()), int(new_demod->getHighEdge()));
    }
}

void SubReceiver::SLOT_newBBLowHighCutSet(int low, int high, int channel)
{
    if (channel != 1)
        return;
    int width = std::max(std::abs(low), std::abs(high));
    if (demodulator != nullptr && demodulator->mirrored)
        width *= 2;
    modulationSelector->showDemodWidth(width);
}

void SubReceiver::SLOT_newFilterFreq(int low, int high)
{
    if (controller != nullptr)
        controller->setBBLowHighCut(low, high, 1, false);
}

void SubReceiver::SLOT_NewDemodFreq(qlonglong freq, qlonglong delta)
{
    if (controller != nullptr)
        controller->tuneChannel(freq, int(delta), 1);
}

void SubReceiver::SLOT_userTunesFreqWidget(qlonglong newFrequency)
{
    if (controller != nullptr)
        controller->setRxOffset(int(newFrequency - controller->getRxCenterFreq()), 1);
}

void SubReceiver::MSG_ChannelIsTurnedOnOff(int channel, bool on_off)
{
    if (channel != 1)
        return;
    if (on_off) {
        onOffButton->setText(tr("Arret"));
        if (controller != nullptr)
            visuFifo = controller->smallband_visu_fifo;
        repaintTimer->start(FrameMs);
    } else {
        onOffButton->setText(tr("Marche"));
        repaintTimer->stop();
    }
}

void SubReceiver::SLOT_setSquelch(int level)
{
    meter->SLOT_setSquelch(level);
}

void SubReceiver::SLOT_RefreshBookmarks()
{
    plotter->refreshBookmarks(true, false);
}

void SubReceiver::on_newSpectrumSpan(int new_span)
{
    const qint64 centre = plotter->getCenterFreq() + plotter->getFftCenterOffset();
    const int span = plotter->getSpan();
    emit SIGNAL_RXcoverageUpdated(1, double(centre - span / 2), double(centre + span / 2));
    modulationSelector->SLOT_WFallSpanChanged(new_span);
}

void SubReceiver::SLOT_userSetOnOff()
{
    if (controller == nullptr)
        return;
    if (controller->channelOn[1].load())
        controller->turnChannelOff(1);
    else
        controller->turnChannelOn(1, modulationSelector->currentDemodulator());
}

void SubReceiver::SLOT_setStep(int index)
{
    const QVariant step = stepBox->itemData(index);
    if (!step.isNull() && step.toInt() > 0 && controller != nullptr)
        controller->setStepSize(step.toInt(), 1);
}

void SubReceiver::showLock(bool locked)
{
    lockButton->setText(locked ? QStringLiteral("UNLOCK") : QStringLiteral("LOCK"));
    lockButton->setToolTip(locked ? tr("Deverouiller le recepteur") : tr("Verouiller le recepteur"));
}

void SubReceiver::SLOT_lockChannelizer()
{
    if (controller == nullptr)
        return;
    controller->setChannelLock(!controller->isChannelLocked(1), 1);
    const bool locked = controller->isChannelLocked(1);
    freqCtrl->setLocked(locked);
    showLock(locked);
}

void SubReceiver::SLOT_stepUp()
{
    if (controller != nullptr && !controller->isChannelLocked(1))
        controller->stepUp(1);
}

void SubReceiver::SLOT_stepDown()
{
    if (controller != nullptr && !controller->isChannelLocked(1))
        controller->stepDown(1);
}

void SubReceiver::SLOT_manageMemories()
{
    // Runs modally; selecting a memory tunes channel 1, "+" stores its frequency.
    MemoryManagementWindow dialog(controller, 1);
    if (controller != nullptr)
        dialog.setCurrentFrequency(controller->getRxCenterFreq() + controller->getRxOffset(1));
    dialog.exec();
}
