#include "ui/panels/MainReceiver.h"

#include "core/GlobalRFData.h"
#include "core/QLogger.h"
#include "engine/Channelizer.h"
#include "engine/Controller.h"
#include "engine/SampleContext.h"
#include "engine/audio/AudioOutput.h"
#include "ui/panels/PanelStyle.h"
#include "ui/plotter/CPlotter.h"
#include "ui/scanner/SpectumScanner.h"
#include "ui/widgets/ModulationSelector.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>

namespace {
void trace(const char* stage)
{
    QLogger::logTrace(LogModule, QString::fromLatin1(stage));
}
} // namespace

MainReceiver::MainReceiver(QWidget* parent) : QWidget(parent)
{
    trace("MainReceiver::MainReceiver() ");
    trace("MainReceiver::MainReceiver() new SpectumScanner()");
    scanner = new SpectumScanner();
    scanner->setMinimumHeight(100);
    scanner->setMaximumHeight(100);
    scanner->setToolTip(tr("Vue generale du spectre rx"));

    plotter = new CPlotter();
    plotter->setCenterFreq(1000000);
    plotter->setClickOffset(0);
    plotter->setDemodFreq(1000000);
    plotter->setSpan(48000);
    plotter->moveToCenterFreq();
    plotter->setCutsUnchecked(0, 2800);
    plotter->updateOverlay();
    plotter->setMaxDb(-60);
    plotter->setMinDb(-135);
    plotter->setFftFill(true);
    trace("MainReceiver::MainReceiver() fftw_plan_dft_1d");

    trace("MainReceiver::MainReceiver() ADD_PLUGINPANEL");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scanner);
    layout->addWidget(plotter);

    trace("MainReceiver::MainReceiver() down bar");
    QWidget* bar = makePanelBar(this);
    bar->setMaximumHeight(30);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setAlignment(Qt::AlignLeft);
    onOffButton = new QPushButton(tr("Marche"), bar);
    onOffButton->setToolTip(tr("Mettre en marche/arreter le recepteur"));
    barLayout->addWidget(onOffButton);
    modulationSelector = new ModulationSelector(true, bar);
    modulationSelector->setMaximumHeight(100);
    barLayout->addWidget(modulationSelector);
    layout->addWidget(bar);

    repaintTimer = new QTimer(this);
    connect(repaintTimer, &QTimer::timeout, this, &MainReceiver::SLOT_repaintSpectrum, Qt::QueuedConnection);
    connect(modulationSelector, &ModulationSelector::MSG_ChangeDemodWidthRequest, this,
            &MainReceiver::SLOT_NewDemodWidthRequest);
    connect(modulationSelector, &ModulationSelector::MSG_ChangeSpectrumIntegrator, this,
            &MainReceiver::SLOT_SetIntegrator, Qt::QueuedConnection);
    connect(plotter, &CPlotter::newCenterFreq, this, &MainReceiver::SLOT_NewCenterFreq);
    connect(plotter, &CPlotter::newDemodFreq, this, &MainReceiver::SLOT_NewDemodFreq);
    connect(plotter, &CPlotter::newFilterFreq, this, &MainReceiver::SLOT_newFilterFreq, Qt::QueuedConnection);
    connect(plotter, &CPlotter::newSpan, this, &MainReceiver::on_newSpectrumSpan, Qt::QueuedConnection);
    connect(plotter, &CPlotter::newVisibleArea, this, &MainReceiver::SLOT_newWFVisibleArea,
            Qt::QueuedConnection);
    connect(plotter, &CPlotter::WHATSONRequest, this, &MainReceiver::SLOT_WHATSONRequest,
            Qt::QueuedConnection);
    trace("MainReceiver::MainReceiver() end");
}

MainReceiver::~MainReceiver()
{
    repaintTimer->stop();
    delete scanner;
}

void MainReceiver::setController(Controller* engine)
{
    controller = engine;
    if (controller == nullptr)
        return;
    visuFifo = controller->fullband_visu_fifo;
    const int rate = controller->getSampleRate();
    if (rate > 0)
        plotter->setSampleRate(rate);
    plotter->setSpan(rate >= 1000000 ? rate / 2 : rate);
    const qint64 centre = controller->getRxCenterFreq();
    plotter->setCenterFreq(centre);
    plotter->setDemodFreq(centre);
    plotter->moveToCenterFreq();

    connect(controller, &Controller::MSG_newDemodulatorInstalled, this,
            &MainReceiver::SLOT_newModulatorInstalled, Qt::QueuedConnection);
    connect(controller, &Controller::MSG_ChannelizerIsRetuned, this, &MainReceiver::SLOT_ChannelizerIsRetuned,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_newBBLowHighCutSet, this, &MainReceiver::SLOT_newBBLowHighCutSet,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_ChannelTurnedOnOff, this, &MainReceiver::MSG_ChannelIsTurnedOnOff,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_SamplingRateChanged, this, &MainReceiver::SLOT_RxSamplingRateChanged,
            Qt::QueuedConnection);
    connect(controller, &Controller::MSG_UpdateReceiverUI, this, &MainReceiver::SLOT_UpdateReceiverUI,
            Qt::QueuedConnection);
    connect(onOffButton, &QPushButton::pressed, this, &MainReceiver::SLOT_userSetOnOff);

    modulationSelector->setController(controller, 0);
    scanner->setController(controller, 0);

    if (Demodulator* installed = controller->currentDemodulator(0)) {
        demodulator = installed;
        applyCuts(installed);
    } else {
        modulationSelector->loadSaveSettings();
    }
}

void MainReceiver::applyCuts(Demodulator* demod)
{
    // A mirrored demodulator's limits are its high edges mirrored about the carrier.
    if (demod->mirrored)
        plotter->setFilterCutLimits(-demod->maxHigh, -demod->minHigh, demod->minHigh, demod->maxHigh, true);
    else
        plotter->setFilterCutLimits(demod->minLow, demod->maxLow, demod->minHigh, demod->maxHigh, false);
    Channelizer* channel = controller->channelizer(0);
    if (channel != nullptr)
        plotter->setFilterCuts(int(channel->lowCut()), int(channel->highCut()));
}

qint64 MainReceiver::getTunedFrequency()
{
    if (controller == nullptr)
        return 0;
    return controller->getRxCenterFreq() + controller->getRxOffset(0);
}

void MainReceiver::setTuningLocked(bool locked)
{
    tuningLocked = locked;
    plotter->setTuningLocked(locked);
}

bool MainReceiver::isRepainting() const
{
    return repaintTimer->isActive();
}

void MainReceiver::MSG_ChannelIsTurnedOnOff(int channel, bool on_off)
{
    if (channel != 0)
        return;
    if (on_off) {
        repaintTimer->start(FrameMs);
        onOffButton->setText(tr("Arret"));
    } else {
        repaintTimer->stop();
        onOffButton->setText(tr("Marche"));
    }
    onOffButton->setEnabled(true);
}

void MainReceiver::SLOT_repaintSpectrum()
{
    if (visuFifo == nullptr) {
        qDebug() << "MainReceiver::SLOT_repaintSpectrum visu fifo null ???";
        return;
    }
    const DisplayFrame frame = displayPath.process(*visuFifo, FULLBAND_FFT_LENGTH.load());
    if (!frame.processed)
        return;
    const int n = displayPath.length();
    if (displayPath.averageReady())
        plotter->setNewSpectrum(displayPath.average(), n);

    if (std::fabs(float(frame.rate) - float(plotter->getSampleRate())) > 1) {
        if (frame.rate > 0)
            plotter->setSampleRate(frame.rate);
        plotter->setSpan(frame.rate / 3);
        plotter->setCenterFreq(frame.centre);
        plotter->setDemodFreq(frame.centre + frame.offset);
        plotter->moveToCenterFreq();
    }
    scanner->newSpectrum(displayPath.smoothed(), n, frame.rate);
    if (displayPath.storeDue())
        GlobalRFData::instance()->setSpectrum(n, displayPath.smoothed(), frame.rate);
}

void MainReceiver::SLOT_NewCenterFreq(qlonglong f)
{
    if (controller == nullptr)
        return;
    const qint64 centre = controller->getRxCenterFreq();
    const qint64 halfRate = controller->getSampleRate() / 2;
    const int span = plotter->getSpan();
    if (centre + halfRate < f - span || f + span < centre - halfRate)
        qDebug() << "MainReceiver::SLOT_NewCenterFreq missing " << f - centre;
}

void MainReceiver::SLOT_NewDemodFreq(qlonglong freq, qlonglong delta)
{
    if (controller != nullptr)
        controller->tuneChannel(freq, int(delta), 0);
}

void MainReceiver::SLOT_NewLowCutFreq(int) {}

void MainReceiver::SLOT_NewHighCutFreq(int) {}

void MainReceiver::SLOT_newFilterFreq(int low, int high)
{
    if (controller != nullptr)
        controller->setBBLowHighCut(low, high, 0, false);
}

void MainReceiver::SLOT_NewDemodWidthRequest(int new_span, int channel)
{
    // Before any demodulator was reported there is no pass-band shape to follow.
    if (channel != 0 || controller == nullptr || demodulator == nullptr)
        return;
    const int w = new_span;
    if (demodulator->mirrored)
        controller->setBBLowHighCut(-w, w, 0, false);
    else if (demodulator->getHighEdge() < 0)
        controller->setBBLowHighCut(-w, 0, 0, false);
    else
        controller->setBBLowHighCut(0, w, 0, false);
}

void MainReceiver::SLOT_setNewFilterFreqValue(int low, int high)
{
    plotter->setCutsUnchecked(low, high);
    plotter->updateOverlay();
    followPassBand(low, high);
}

void MainReceiver::SLOT_newModulatorInstalled(Demodulator* new_demod, int channel)
{
    if (channel > 0 || new_demod == nullptr)
        return;
    demodulator = new_demod;
    applyCuts(new_demod);
    followPassBand(plotter->getLowCut(), plotter->getHighCut());
}

void MainReceiver::followPassBand(int low, int high)
{
    // A click must put the clicked signal where it is heard: in CW the middle
    // of the pass band in force, in the other modes the carrier itself.
    const bool cw = demodulator != nullptr && demodulator->getName() == QLatin1String("CW");
    plotter->setClickOffset(cw ? low + (high - low) / 2 : 0);
}

void MainReceiver::SLOT_setModulatorByName(QString modulator, int low, int high)
{
    if (!modulator.isEmpty())
        modulationSelector->setModulationByName(modulator, low, high);
}

void MainReceiver::showWidth(int low, int high)
{
    float width = float(std::max(std::abs(low), std::abs(high)));
    if (demodulator != nullptr && demodulator->mirrored)
        width *= 2;
    modulationSelector->showDemodWidth(int(width));
}

void MainReceiver::SLOT_newBBLowHighCutSet(int low, int high, int channel)
{
    if (channel != 0)
        return;
    showWidth(low, high);
    followPassBand(low, high);
}

void MainReceiver::SLOT_stepFrequency(int step)
{
    plotter->setDemodFreq(plotter->getDemodFreq() + step);
    plotter->moveToDemodFreq();
}

void MainReceiver::SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel)
{
    if (channel != 0)
        return;
    retuneLock.acquire();
    {
        const QSignalBlocker blocker(plotter);
        // A receiver centre that moved by less than half the rate (a remote
        // receiver retuned by another user, a recording whose centre moves) would
        // otherwise leave the frequency axis behind.
        if (hwRXCenter != plotter->getCenterFreq())
            plotter->setCenterFreq(hwRXCenter);
        const qint64 f = hwRXCenter + qint64(newFrequency);
        const qint64 c = plotter->getCenterFreq() + plotter->getFftCenterOffset();
        const qint64 h = plotter->getSpan() / 2;
        if (c - h <= f && f <= c + h) {
            plotter->setDemodFreq(f);
            emit SIGNAL_RXcoverageUpdated(0, double(c - h), double(c + h));
        } else {
            const qint64 halfRate = qint64(plotter->getSampleRate() / 2);
            if (std::llabs(f - plotter->getCenterFreq()) > halfRate) {
                plotter->setCenterFreq(hwRXCenter);
                plotter->setDemodFreq(f);
                plotter->moveToCenterFreq();
            } else {
                plotter->setDemodFreq(f);
                plotter->moveToDemodFreq();
            }
            const qint64 moved = plotter->getCenterFreq() + plotter->getFftCenterOffset();
            emit SIGNAL_RXcoverageUpdated(0, double(moved - h), double(moved + h));
        }
    }
    retuneLock.release();
}

void MainReceiver::SLOT_newWFVisibleArea(qlonglong start, qlonglong stop)
{
    const qint64 centre = controller != nullptr ? controller->getRxCenterFreq() : 0;
    emit SIGNAL_RXcoverageUpdated(0, double(start + centre), double(stop + centre));
}

void MainReceiver::SLOT_RxSamplingRateChanged(int new_rx_samplerate)
{
    if (new_rx_samplerate > 0)
        plotter->setSampleRate(new_rx_samplerate);
}

void MainReceiver::SLOT_UpdateReceiverUI(int channel, qulonglong, float, int lowCut, int highCut)
{
    if (channel != 0)
        return;
    plotter->setFilterCuts(lowCut, highCut);
    showWidth(lowCut, highCut);
}

void MainReceiver::SLOT_RefreshBookmarks()
{
    qDebug() << "MainReceiver::SLOT_RefreshBookmarks()";
    plotter->refreshBookmarks(true, false);
}

void MainReceiver::SLOT_SetIntegrator(int integ)
{
    displayPath.setIntegrator(integ);
}

void MainReceiver::on_Gain_valueChanged(double value)
{
    if (controller != nullptr)
        controller->setRxGain(float(value), 0);
}

void MainReceiver::on_SpectrumMaxValue_valueChanged(double) {}

void MainReceiver::on_SpectrumMinValue_valueChanged(double) {}

void MainReceiver::on_pushButton_clicked()
{
    if (controller != nullptr && controller->audioOutput != nullptr)
        controller->audioOutput->audioRewind(2);
}

void MainReceiver::on_MainSubBalance_valueChanged(double value)
{
    if (controller != nullptr && controller->audioOutput != nullptr)
        controller->audioOutput->setBalance(value);
}

void MainReceiver::on_newSpectrumSpan(int new_span)
{
    // The visible centre includes the pan offset, as the display shows it.
    const qint64 centre = plotter->getCenterFreq() + plotter->getFftCenterOffset();
    const int span = plotter->getSpan();
    emit SIGNAL_RXcoverageUpdated(0, double(centre - span / 2), double(centre + span / 2));
    modulationSelector->SLOT_WFallSpanChanged(new_span);
}

void MainReceiver::SLOT_userSetOnOff()
{
    if (controller == nullptr)
        return;
    onOffButton->setEnabled(false);
    if (controller->channelOn[0].load())
        controller->turnChannelOff(0);
    else
        controller->turnChannelOn(0, modulationSelector->currentDemodulator());
}

void MainReceiver::SLOT_WHATSONRequest(int key)
{
    emit SIG_WHATSONRequest(key);
}
