#include "IQCorrectionWidget.h"

#include "FrequencyError.h"
#include "core/QLogger.h"
#include "engine/Controller.h"
#include "engine/ReceiverHardware.h"
#include "engine/board/BoardSettings.h"
#include "ui/widgets/CFreqCtrl.h"

#include <QDebug>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QVBoxLayout>

namespace {

QSlider* makeSlider(QWidget* parent, int value, const QString& tip)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setRange(-IQCorrectionWidget::SliderLimit, IQCorrectionWidget::SliderLimit);
    slider->setValue(value);
    slider->setToolTip(tip);
    return slider;
}

QPushButton* makeButton(QWidget* parent, const QString& text, const QString& tip)
{
    auto* button = new QPushButton(text, parent);
    button->setToolTip(tip);
    return button;
}

void trace(const QString& name, double value)
{
    QLogger::logTrace(LogModule, "IQCorrectionWidget " + name + " :" + QString::number(value, 'g', 6));
}

} // namespace

IQCorrectionWidget::IQCorrectionWidget(Controller* engine, QWidget* parent) : QDialog(parent), controller(engine)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(tr("Frequence relle"), this));
    m_frequencyEntry = new CFreqCtrl(this);
    m_frequencyEntry->setMinimumWidth(300);
    m_frequencyEntry->setToolTip(tr("Frequence reelle"));
    layout->addWidget(m_frequencyEntry);
    layout->addWidget(new QLabel(tr("Gain I"), this));
    m_gainISlider = makeSlider(this, 1000, tr("Gain I"));
    layout->addWidget(m_gainISlider);
    layout->addWidget(new QLabel(tr("Cross-Gain"), this));
    m_crossGainSlider = makeSlider(this, 0, tr("Cross-Gain"));
    layout->addWidget(m_crossGainSlider);
    layout->addWidget(new QLabel(tr("Gain Q"), this));
    m_gainQSlider = makeSlider(this, 1000, tr("Gain Q"));
    layout->addWidget(m_gainQSlider);
    QPushButton* reset = makeButton(this, tr("RAZ"), tr("Sans correction"));
    QPushButton* cancel = makeButton(this, tr("Annuler"), tr("Annuler les reglages"));
    QPushButton* ok = makeButton(this, tr("OK"), tr("Conserver les reglages"));
    layout->addWidget(reset);
    layout->addWidget(cancel);
    layout->addWidget(ok);
    setMinimumSize(350, 200);

    connect(reset, &QPushButton::pressed, this, &IQCorrectionWidget::SLOT_setNoCorrection);
    connect(cancel, &QPushButton::pressed, this, &IQCorrectionWidget::SLOT_cancelChanges);
    connect(ok, &QPushButton::pressed, this, &IQCorrectionWidget::SLOT_applyChanges);
    connect(m_frequencyEntry, &CFreqCtrl::newFrequency, this, &IQCorrectionWidget::SLOT_userTunesFreqWidget);
}

void IQCorrectionWidget::setTargetBoard(ReceiverHardware* target, int nco)
{
    receiver = target;
    if (receiver == nullptr) {
        qDebug() << " IQCorrectionWidget::setTargetBoard ";
        return;
    }
    receiver->getIQCorrectionFactors(&gainI, &gainQ, &crossGain);
    receiver->getIQCorrectionFactors(&savedGainI, &savedGainQ, &savedCrossGain);
    ppm = float(receiver->getppmError());
    m_gainISlider->setValue(int(gainI * 1000));
    m_crossGainSlider->setValue(int(crossGain * 1000));
    m_gainQSlider->setValue(int(gainQ * 1000));
    const qint64 centre = receiver->getRxCenterFreq();
    qDebug() << "IQCorrectionWidget::setTargetBoard Gain I=" << gainI;
    qDebug() << "IQCorrectionWidget::setTargetBoard Gain Q=" << gainQ;
    qDebug() << "IQCorrectionWidget::setTargetBoard cross =" << crossGain;
    qDebug() << "IQCorrectionWidget::setTargetBoard board_rx_center=" << centre << "currentNCOFreq=" << nco;
    m_frequencyEntry->showFrequency(centre + nco);
    boardCentre = centre;
    ncoOffset = nco;
    for (QSlider* slider : {m_gainISlider, m_crossGainSlider, m_gainQSlider})
        connect(slider, &QSlider::valueChanged, this, &IQCorrectionWidget::SLOT_slideChanged);
}

void IQCorrectionWidget::SLOT_slideChanged(int)
{
    gainI = float(m_gainISlider->value() / 1000.0);
    crossGain = float(m_crossGainSlider->value() / 1000.0);
    gainQ = float(m_gainQSlider->value() / 1000.0);
    if (receiver == nullptr)
        return;
    qDebug() << "IQCorrectionWidget::SLOT_slideChanged Gain I=" << gainI;
    qDebug() << "IQCorrectionWidget::SLOT_slideChanged Gain Q=" << gainQ;
    qDebug() << "IQCorrectionWidget::SLOT_slideChanged cross =" << crossGain;
    receiver->setIQCorrectionFactors(gainI, gainQ, crossGain);
}

void IQCorrectionWidget::SLOT_setNoCorrection()
{
    m_gainISlider->setValue(1000);
    m_crossGainSlider->setValue(0);
    m_gainQSlider->setValue(1000);
}

void IQCorrectionWidget::SLOT_cancelChanges()
{
    gainI = savedGainI;
    crossGain = savedCrossGain;
    gainQ = savedGainQ;
    if (receiver != nullptr)
        receiver->setIQCorrectionFactors(gainI, gainQ, crossGain);
    close();
}

void IQCorrectionWidget::SLOT_userTunesFreqWidget(qint64 newFrequency)
{
    if (receiver == nullptr)
        return;
    qDebug() << " IQCorrectionWidget::SLOT_userTunesFreqWidget effective rx is " << newFrequency;
    const std::optional<float> error = frequencyErrorPpm(newFrequency, ncoOffset, boardCentre,
                                                         receiver->getppmError(), receiver->frequencyConverter.load());
    if (!error) {
        qDebug() << "IQCorrectionWidget::SLOT_userTunesFreqWidget no reference frequency, error kept";
        return;
    }
    ppm = *error;
    qDebug() << "ppm=" << ppm;
}

void IQCorrectionWidget::SLOT_applyChanges()
{
    if (receiver == nullptr)
        return;
    trace("Gain_I", gainI);
    trace("Gain_Q", gainQ);
    trace("Gain_C", crossGain);
    trace("ppmError", ppm);
    {
        std::unique_ptr<QSettings> board = BoardSettings::open(receiver);
        board->setValue(BoardSettings::KeyGainI, double(gainI));
        board->setValue(BoardSettings::KeyGainQ, double(gainQ));
        board->setValue(BoardSettings::KeyGainC, double(crossGain));
        board->setValue(BoardSettings::KeyPpmError, double(ppm));
    }
    qDebug() << "ppm=" << ppm;
    receiver->setppmError(ppm);
    receiver->setRxCenterFreq(boardCentre);
    if (controller != nullptr)
        controller->tuneChannel(boardCentre, ncoOffset, 0);
    close();
}
