#include "ui/widgets/ModulationSelector.h"

#include "core/QLogger.h"
#include "decoders/measure/Mesurement.h"
#include "engine/Channelizer.h"
#include "engine/Controller.h"
#include "engine/board/BoardSettings.h"
#include "engine/demod/AMDemodulator.h"
#include "engine/demod/CWDemodulator.h"
#include "engine/demod/LSBdemodulator.h"
#include "engine/demod/NBFMDemodulator.h"
#include "engine/demod/USBdemodulator.h"
#include "ui/widgets/zxPushButton.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLCDNumber>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>

#include <algorithm>
#include <cstdlib>

namespace {

struct ModeEntry
{
    const char* button;
    const char* toolTip;
};

// Button texts are not translated; tool tips are.
const ModeEntry kModes[] = {
    {"USB", QT_TRANSLATE_NOOP("ModulationSelector", "Demodulateur USB")},
    {"LSB", QT_TRANSLATE_NOOP("ModulationSelector", "Demodulateur LSB")},
    {"CW", QT_TRANSLATE_NOOP("ModulationSelector", "Demodulateur CW")},
    {"AM", QT_TRANSLATE_NOOP("ModulationSelector", "Demodulateur AM")},
    {"FMN", QT_TRANSLATE_NOOP("ModulationSelector", "Demodulateur NBFM")},
    {"MSR", QT_TRANSLATE_NOOP("ModulationSelector", "Enregistrement pour post-traitements")},
};
constexpr int kPlainModes = 5;

void trace(const QString& line)
{
    QLogger::logTrace(LogModule, line);
}

QLabel* yellowLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet("QLabel { color : yellow; }");
    return label;
}

} // namespace

ModulationSelector::ModulationSelector(bool measurement, QWidget* parent)
    : QFrame(parent), withMeasurement(measurement)
{
    trace("ModulationSelector::ModulationSelector() ");
    buildStrip();

    QPalette pal = palette();
    pal.setBrush(QPalette::All, QPalette::Window, QColor(48, 48, 32));
    setPalette(pal);
    setAutoFillBackground(true);

    createDemodulators();
    current = demodulators.front().get();
    modeButtons[0]->setState(true);
    trace("ModulationSelector::ModulationSelector() end");
}

ModulationSelector::~ModulationSelector()
{
    // The engine keeps bare pointers to installed demodulators: ours come off
    // every channel before they go, a locked one included.
    if (controller) {
        for (const auto& demod : demodulators)
            controller->releaseDemodulator(demod.get());
    }
}

void ModulationSelector::buildStrip()
{
    auto* layout = new QHBoxLayout(this);
    layout->setAlignment(Qt::AlignLeft);
    layout->setContentsMargins(1, 1, 1, 1);

    const int modes = withMeasurement ? kPlainModes + 1 : kPlainModes;
    for (int i = 0; i < modes; ++i) {
        auto* button = new zxPushButton(QString::fromLatin1(kModes[i].button), this);
        button->setMaximumWidth(50);
        button->setToolTip(tr(kModes[i].toolTip));
        layout->addWidget(button);
        connect(button, &QToolButton::pressed, this, [this, i] { SLOT_userChangeModulation(i); });
        modeButtons.append(button);
    }

    demodWidthBox = new QSpinBox(this);
    demodWidthBox->setRange(100, 9500);
    demodWidthBox->setSingleStep(100);
    demodWidthBox->setValue(2800);
    demodWidthBox->setSuffix(" Hz");
    demodWidthBox->setMinimumWidth(80);
    demodWidthBox->setMaximumWidth(100);
    demodWidthBox->setToolTip(tr("Largeur de bande demodulee"));
    layout->addWidget(yellowLabel(tr("Bande demod.:"), this));
    layout->addWidget(demodWidthBox);

    spectrumWidthBox = new QSpinBox(this);
    spectrumWidthBox->setRange(10, 2048);
    spectrumWidthBox->setSingleStep(100);
    spectrumWidthBox->setValue(512);
    spectrumWidthBox->setSuffix(" KHz");
    spectrumWidthBox->setEnabled(false);
    spectrumWidthBox->setToolTip(tr("Spectre visible Waterfall"));
    layout->addWidget(yellowLabel(tr("Bande Waterfall:"), this));
    layout->addWidget(spectrumWidthBox);

    integratorBox = new QSpinBox(this);
    integratorBox->setRange(1, 32);
    integratorBox->setSingleStep(1);
    integratorBox->setValue(1);
    integratorBox->setMinimumWidth(50);
    integratorBox->setMaximumWidth(80);
    integratorBox->setToolTip(tr("Moyennage FFT Waterfall"));
    layout->addWidget(yellowLabel(tr("Moyen. Waterfall:"), this));
    layout->addWidget(integratorBox);

    ritSlider = new QSlider(Qt::Horizontal, this);
    ritSlider->setRange(-1000, 1000);
    ritSlider->setValue(0);
    ritSlider->setTickInterval(250);
    ritSlider->setTickPosition(QSlider::TicksAbove);
    ritSlider->setToolTip(tr("BFO sur le signal audio avant demodulation (RIT)"));
    layout->addWidget(ritSlider);
    // Five digits: "-1000" must fit.
    ritDisplay = new QLCDNumber(5, this);
    ritDisplay->setSegmentStyle(QLCDNumber::Filled);
    ritDisplay->setToolTip(tr("Valeur actuelle du BFO (RIT)"));
    layout->addWidget(ritDisplay);
    auto* clearRit = new QPushButton("RAZ", this);
    clearRit->setToolTip(tr("Remettre BFO a 0Hz"));
    layout->addWidget(clearRit);

    connect(demodWidthBox, qOverload<int>(&QSpinBox::valueChanged), this,
            &ModulationSelector::SLOT_userChangeDemodWidth);
    connect(integratorBox, qOverload<int>(&QSpinBox::valueChanged), this,
            &ModulationSelector::SLOT_userChangeIntegrator);
    connect(ritSlider, &QSlider::valueChanged, this, &ModulationSelector::SLOT_userChangeRITValue);
    connect(clearRit, &QPushButton::pressed, this, &ModulationSelector::SLOT_userClearsRIT);
}

void ModulationSelector::createDemodulators()
{
    trace("ModulationSelector::ModulationSelector() alloc demods");
    const int count = withMeasurement ? kPlainModes + 1 : kPlainModes;
    trace(QString("ModulationSelector::ModulationSelector() alloc %1 demods").arg(count));
    demodulators.push_back(std::make_unique<USBdemodulator>());
    demodulators.push_back(std::make_unique<LSBdemodulator>());
    demodulators.push_back(std::make_unique<CWDemodulator>());
    demodulators.push_back(std::make_unique<AMDemodulator>());
    demodulators.push_back(std::make_unique<NBFMDemodulator>());
    if (withMeasurement)
        demodulators.push_back(std::make_unique<Mesurement>());
    else
        trace("ModulationSelector::ModulationSelector() no Mesurement");
}

Demodulator* ModulationSelector::demodulatorAt(int index) const
{
    return index >= 0 && index < modeCount() ? demodulators[index].get() : nullptr;
}

Demodulator* ModulationSelector::installedDemodulator() const
{
    return controller ? controller->currentDemodulator(channel) : nullptr;
}

void ModulationSelector::setController(Controller* c, int ch)
{
    controller = c;
    channel = ch;
}

void ModulationSelector::SLOT_userChangeModulation(int choice)
{
    if (choice < 0 || choice >= modeCount())
        return;
    if (controller) {
        ritSlider->setValue(0); // clears the RIT of the mode being left
        current = demodulators[choice].get();
        const int limits[] = {std::abs(current->minLow), std::abs(current->maxLow),
                              std::abs(current->minHigh), std::abs(current->maxHigh)};
        const int lower = *std::min_element(std::begin(limits), std::end(limits));
        int upper = *std::max_element(std::begin(limits), std::end(limits));
        if (current->mirrored)
            upper *= 2;
        {
            const QSignalBlocker blocker(demodWidthBox);
            demodWidthBox->setMinimum(lower);
            demodWidthBox->setMaximum(upper);
            demodWidthBox->setSingleStep(upper < 10000 ? 10 : 1000);
        }
        controller->installDemodulator(current, channel);
    }
    for (int i = 0; i < modeButtons.size(); ++i)
        modeButtons[i]->setState(i == choice);
}

void ModulationSelector::SLOT_userChangeDemodWidth(int newValue)
{
    Demodulator* demod = installedDemodulator();
    Channelizer* channelizer = controller ? controller->channelizer(channel) : nullptr;
    if (!demod || !channelizer)
        return;
    const int low = static_cast<int>(channelizer->lowCut());
    const int high = static_cast<int>(channelizer->highCut());
    int newLow = low;
    int newHigh = high;
    if (demod->mirrored) {
        demodWidth = 2 * high;
        newLow = -(newValue / 2);
        newHigh = newValue / 2;
    } else if (demod->defaultHigh > 0) { // upper side band: the low edge stays
        demodWidth = high - low;
        newHigh = low + newValue;
    } else { // lower side band: the high edge stays
        demodWidth = high - low;
        newLow = high - newValue;
    }
    if (newValue != demodWidth)
        controller->setBBLowHighCut(newLow, newHigh, channel, true);
}

void ModulationSelector::SLOT_userChangeRITValue(int newRit)
{
    ritDisplay->display(newRit);
    if (Demodulator* demod = installedDemodulator())
        demod->setRitFrequency(static_cast<float>(newRit));
}

void ModulationSelector::SLOT_userClearsRIT()
{
    ritSlider->setValue(0);
}

void ModulationSelector::SLOT_userChangeIntegrator(int ch)
{
    emit MSG_ChangeSpectrumIntegrator(ch);
}

void ModulationSelector::SLOT_userChangeVolume(int newVolume)
{
    if (Demodulator* demod = installedDemodulator())
        demod->setVolumePercent(newVolume);
}

void ModulationSelector::SLOT_WFallSpanChanged(int new_Span)
{
    const int kHz = new_Span / 1000;
    if (kHz > spectrumWidthBox->maximum())
        spectrumWidthBox->setMaximum(kHz);
    if (kHz < spectrumWidthBox->minimum())
        spectrumWidthBox->setMinimum(kHz);
    spectrumWidthBox->setValue(kHz);
    spectrumSpan = new_Span;
}

void ModulationSelector::SLOT_userChangeSpectrumWidth(int newValue)
{
    if (newValue * 1000 != spectrumSpan)
        emit MSG_ChangeSpectrumWidthRequest(newValue * 1000);
}

void ModulationSelector::showDemodWidth(int width)
{
    const QSignalBlocker blocker(demodWidthBox);
    if (demodWidthBox->maximum() < width)
        demodWidthBox->setMaximum(width);
    demodWidthBox->setValue(width);
    demodWidth = width;
}

void ModulationSelector::installCurrentOn(int ch)
{
    if (controller)
        controller->installDemodulator(current, ch);
}

int ModulationSelector::setModulationByName(const QString& name, int low, int high)
{
    if (!controller || !controller->getReceiverHardware())
        return -1;
    for (int i = 0; i < modeCount(); ++i) {
        if (demodulators[i]->getName() == name) {
            SLOT_userChangeModulation(i);
            if (low != high)
                controller->setBBLowHighCut(low, high, channel, true);
            return 1;
        }
    }
    return -1;
}

void ModulationSelector::loadSaveSettings()
{
    if (!controller || !controller->getReceiverHardware() || settingsLoaded)
        return;
    settingsLoaded = true;

    auto settings = BoardSettings::open(controller->getReceiverHardware());
    const double low =
        settings->value(BoardSettings::channelKey(channel, BoardSettings::ChannelLowCut), 0.0).toDouble();
    const double high =
        settings->value(BoardSettings::channelKey(channel, BoardSettings::ChannelHighCut), 0.0).toDouble();
    QString mode = settings->value(BoardSettings::channelKey(channel, BoardSettings::ChannelMod)).toString();
    if (mode.isEmpty()) {
        mode = demodulators.front()->getName();
        qDebug() << "ModulationSelector::loadSaveSettings() sets " << mode;
    }
    for (int i = 0; i < modeCount(); ++i) {
        if (demodulators[i]->getName() != mode)
            continue;
        current = demodulators[i].get();
        // The mode is installed first: installing applies the mode's default
        // edges, which the stored ones then replace.
        SLOT_userChangeModulation(i);
        controller->setBBLowHighCut(static_cast<float>(low), static_cast<float>(high), channel, true);
        return;
    }
}
