#pragma once

#include "ui/panels/SmallBandDisplayPath.h"

#include <QWidget>

class CFreqCtrl;
class CMeter;
class CPlotter;
class Controller;
class Demodulator;
class ModulationSelector;
class QComboBox;
class QPushButton;
class QTimer;
class VisuFifo;

// The panel of receive channel 1, "RX B": its own frequency entry, tuning steps,
// lock and memories buttons and level meter above a spectrum and waterfall of the
// channel's decimated band, centred on the channel's frequency, and a bar with the
// on/off button and modulation selector. While the channel is on, a 55 ms timer
// draws the newest samples of the small-band display window.
class SubReceiver : public QWidget
{
    Q_OBJECT

public:
    static constexpr int FrameMs = 55;
    static constexpr int CoverageSpan = 16000;

    SubReceiver(bool withMeasurement, QWidget* parent = nullptr);

    void setController(Controller* controller);

    CPlotter* getPlotter() const { return plotter; }
    CFreqCtrl* getFreqCtrl() const { return freqCtrl; }
    QComboBox* getStepBox() const { return stepBox; }
    QPushButton* getLockButton() const { return lockButton; }
    QPushButton* getOnOffButton() const { return onOffButton; }
    bool isRepainting() const;

signals:
    void SIGNAL_RXcoverageUpdated(int channel, double freq_start, double freq_stop);
    void SIGNAL_updateSMeter(float dbfs, int channel);

public slots:
    void SLOT_repaintSpectrum();
    void SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel);
    void SLOT_stepFrequency(int step);
    void SLOT_newModulatorInstalled(Demodulator* new_demod, int channel);
    void SLOT_newBBLowHighCutSet(int low, int high, int channel);
    void SLOT_newFilterFreq(int low, int high);
    void SLOT_NewDemodFreq(qlonglong freq, qlonglong delta);
    void SLOT_userTunesFreqWidget(qlonglong newFrequency);
    void MSG_ChannelIsTurnedOnOff(int channel, bool on_off);
    void SLOT_setSquelch(int level);
    void SLOT_RefreshBookmarks();
    void on_newSpectrumSpan(int new_span);
    void SLOT_userSetOnOff();
    void SLOT_setStep(int index);
    void SLOT_lockChannelizer();
    void SLOT_stepUp();
    void SLOT_stepDown();
    void SLOT_manageMemories();

private:
    QWidget* buildTopBar();
    void showLock(bool locked);

    CPlotter* plotter = nullptr;
    CFreqCtrl* freqCtrl = nullptr;
    CMeter* meter = nullptr;
    QTimer* repaintTimer = nullptr;
    VisuFifo* visuFifo = nullptr;
    Controller* controller = nullptr;
    Demodulator* demodulator = nullptr;
    QPushButton* onOffButton = nullptr;
    ModulationSelector* modulationSelector = nullptr;
    QComboBox* stepBox = nullptr;
    QPushButton* lockButton = nullptr;
    SmallBandDisplayPath displayPath;
};
