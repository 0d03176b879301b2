#include "TimeDomain.h"

#include "DataPlot.h"
#include "engine/Controller.h"
#include "engine/SampleFifo.h"
#include "engine/demod/TimeDomainBlock.h"
#include "ui/widgets/zxPushButton.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int InitialIntervalMs = 40;

void freeBlock(TimeDomainBlock* block)
{
    if (block == nullptr)
        return;
    free(block->samples);
    free(block->header);
    free(block);
}

} // namespace

TimeDomain::TimeDomain(QWidget* parent) : QWidget(parent)
{
    m_window = static_cast<Complex*>(calloc(Length, sizeof(Complex)));
    tdFifo = new SampleFifo(this);
    tdFifo->accepting = false;

    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignTop);

    auto* toolBar = new QWidget(this);
    toolBar->setMaximumHeight(25);
    auto* toolLayout = new QHBoxLayout(toolBar);
    toolLayout->setContentsMargins(0, 0, 0, 0);
    m_startButton = new zxPushButton(tr("Marche"), toolBar);
    m_startButton->setState(false);
    toolLayout->addWidget(m_startButton);
    toolLayout->addWidget(new QLabel(tr("Visualisation:"), toolBar));
    m_modeBox = new QComboBox(toolBar);
    m_modeBox->addItem(tr("I"), 0);
    m_modeBox->addItem(tr("Enveloppe"), 1);
    m_modeBox->addItem(tr("Phase"), 2);
    m_modeBox->setCurrentIndex(0);
    toolLayout->addWidget(m_modeBox);
    toolLayout->addWidget(new QLabel(tr("F. Ech.:"), toolBar));
    m_rateField = new QLineEdit(toolBar);
    m_rateField->setReadOnly(true);
    m_rateField->setMaximumWidth(100);
    toolLayout->addWidget(m_rateField);
    toolLayout->addWidget(new QLabel(tr("Réactulisation:"), toolBar));
    m_speedSlider = new QSlider(Qt::Horizontal, toolBar);
    m_speedSlider->setRange(1, 50);
    m_speedSlider->setValue(10);
    m_speedSlider->setToolTip(tr("Vitesse"));
    toolLayout->addWidget(m_speedSlider);
    layout->addWidget(toolBar);

    m_upperPlot = new DataPlot(this, true);
    m_upperPlot->setMaximumHeight(350);
    m_upperPlot->setData(m_window);
    layout->addWidget(m_upperPlot);
    auto* spacer = new QWidget(this);
    spacer->setMinimumHeight(50);
    layout->addWidget(spacer);
    m_lowerPlot = new DataPlot(this, true);
    m_lowerPlot->setMaximumHeight(350);
    m_lowerPlot->setData(m_window);
    m_lowerPlot->setMode(3);
    layout->addWidget(m_lowerPlot);

    refreshTimer = new QTimer(this);
    refreshTimer->setInterval(InitialIntervalMs);
    connect(refreshTimer, &QTimer::timeout, this, &TimeDomain::SLOT_updatePlot);
    connect(m_speedSlider, &QSlider::valueChanged, this, &TimeDomain::SLOT_setSpeed);
    connect(m_modeBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &TimeDomain::SLOT_setMode);
    connect(m_startButton, &zxPushButton::pressed, this, &TimeDomain::SLOT_StartStop);
}

TimeDomain::~TimeDomain()
{
    // The demodulator may outlive this view: it must stop copying into our queue.
    attachQueue(nullptr);
    tdFifo->accepting = false;
    while (SampleFifoElement* element = tdFifo->pop(false)) {
        freeBlock(static_cast<TimeDomainBlock*>(element->data));
        free(element);
    }
    free(m_window);
}

void TimeDomain::setController(Controller* engine)
{
    if (engine == nullptr)
        return;
    controller = engine;
    connect(engine, &Controller::MSG_newDemodulatorInstalled, this, &TimeDomain::SLOT_newDemodulatorInstalled,
            Qt::QueuedConnection);
    connect(tdFifo, &SampleFifo::fifoHasData, this, &TimeDomain::SLOT_processData, Qt::QueuedConnection);
}

int TimeDomain::refreshIntervalMs() const
{
    return refreshTimer->interval();
}

void TimeDomain::attachQueue(SampleFifo* queue)
{
    if (controller == nullptr)
        return;
    if (Demodulator* installed = controller->currentDemodulator(0))
        installed->setTDFifo(queue);
}

void TimeDomain::SLOT_StartStop()
{
    controlLock.acquire();
    if (tdFifo->accepting) {
        tdFifo->accepting = false;
        refreshTimer->stop();
        m_state = Stopped;
        m_startButton->setState(false);
        attachQueue(nullptr);
    } else if (controller != nullptr) {
        attachQueue(tdFifo);
        tdFifo->accepting = true;
        m_state = Starting;
        refreshTimer->start();
        m_startButton->setState(true);
    }
    controlLock.release();
}

void TimeDomain::SLOT_newDemodulatorInstalled(Demodulator* demod, int channel)
{
    // The announced demodulator may be gone by now: the engine's is the one in place.
    if (channel != 0 || demod == nullptr)
        return;
    controlLock.acquire();
    attachQueue(tdFifo);
    controlLock.release();
}

void TimeDomain::SLOT_processData()
{
    int count = 0;
    SampleContext* context = nullptr;
    auto* block = static_cast<TimeDomainBlock*>(tdFifo->dequeue(&count, 0, &context, true));
    if (block == nullptr)
        return;
    switch (m_state) {
    case Starting:
        // The first block after a start may predate it: never shown.
        m_state = Running;
        break;
    case StopRequested:
        m_state = Stopped;
        break;
    case Running:
        if (block->header != nullptr && block->samples != nullptr && block->header->sampleCount > 0)
            storeBlock(block->samples, block->header->sampleCount, block->header->sampleRate);
        break;
    default:
        break;
    }
    freeBlock(block);
}

void TimeDomain::storeBlock(const Complex* samples, int count, int rate)
{
    bufferLock.acquire();
    m_rateField->setText(QString::number(rate));
    if (count < Length) {
        std::memmove(m_window, m_window + count, sizeof(Complex) * (Length - count));
        std::memcpy(m_window + Length - count, samples, sizeof(Complex) * count);
    } else {
        std::memcpy(m_window, samples, sizeof(Complex) * Length);
    }
    ++generation;
    bufferLock.release();
}

void TimeDomain::SLOT_updatePlot()
{
    if (generation == drawnGeneration)
        return;
    bufferLock.acquire();
    m_upperPlot->SLOT_newData();
    m_lowerPlot->SLOT_newData();
    bufferLock.release();
    drawnGeneration = generation;
}

void TimeDomain::SLOT_setSpeed(int fps)
{
    if (fps <= 0)
        return;
    controlLock.acquire();
    refreshTimer->setInterval(1000 / fps);
    controlLock.release();
}

void TimeDomain::SLOT_setMode(int mode)
{
    m_upperPlot->setMode(mode == 0 || mode == 1 ? mode : 2);
}

void TimeDomain::SLOT_setTigger(int mode)
{
    m_trigger = mode;
    m_upperPlot->setTrigger(mode);
}
