#pragma once

#include "engine/dsp/Complex.h"

#include <QPointer>
#include <QSemaphore>
#include <QWidget>

class Controller;
class DataPlot;
class Demodulator;
class QComboBox;
class QLineEdit;
class QSlider;
class QTimer;
class SampleFifo;
class zxPushButton;

// The "timeDomain" tab: an oscilloscope of what channel 0's demodulator gets.
// While it runs, the demodulator copies its input blocks into this view's queue
// (on the mixing thread); the view keeps the latest Length samples and redraws
// them at the chosen rate, only when new samples came: the upper plot as I,
// envelope or phase, the lower one as a level history.
//
// The view keeps no demodulator of its own: it hands its queue to the one the
// engine has installed on channel 0, which gives it back when it is taken off
// (demodulators come and go with their panels).
class TimeDomain : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Length = 2048;
    enum State { Stopped = 0, Starting = 1, StopRequested = 2, Running = 3 };

    explicit TimeDomain(QWidget* parent = nullptr);
    ~TimeDomain() override;

    void setController(Controller* controller);

    SampleFifo* queue() const { return tdFifo; }
    int state() const { return m_state; }
    const Complex* window() const { return m_window; }
    int refreshIntervalMs() const;
    zxPushButton* startButton() const { return m_startButton; }
    QLineEdit* rateField() const { return m_rateField; }
    QComboBox* modeBox() const { return m_modeBox; }
    QSlider* speedSlider() const { return m_speedSlider; }
    int trigger() const { return m_trigger; }
    DataPlot* upperPlot() const { return m_upperPlot; }
    DataPlot* lowerPlot() const { return m_lowerPlot; }

signals:
    void SIG_newDataAvailable();

public slots:
    void SLOT_newDemodulatorInstalled(Demodulator* demod, int channel);
    void SLOT_processData();
    void SLOT_updatePlot();
    void SLOT_StartStop();
    void SLOT_setSpeed(int fps);
    void SLOT_setMode(int mode);
    // The trigger mode of the view and its upper plot (nothing draws by it yet).
    void SLOT_setTigger(int mode);

private:
    // Hands the queue to channel 0's demodulator, or takes it back (null).
    void attachQueue(SampleFifo* queue);
    void storeBlock(const Complex* samples, int count, int rate);

    QPointer<Controller> controller;
    zxPushButton* m_startButton = nullptr;
    QLineEdit* m_rateField = nullptr;
    QComboBox* m_modeBox = nullptr;
    QSlider* m_speedSlider = nullptr;
    QSemaphore controlLock{1};
    QSemaphore bufferLock{1};
    QTimer* refreshTimer = nullptr;
    int m_state = Stopped;
    int m_trigger = 0;
    SampleFifo* tdFifo = nullptr;
    DataPlot* m_upperPlot = nullptr;
    DataPlot* m_lowerPlot = nullptr;
    int generation = 0;
    int drawnGeneration = 0;
    // Zeroed at allocation: a redraw after a short first block shows silence.
    Complex* m_window = nullptr;
};
