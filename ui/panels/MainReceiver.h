#pragma once

#include "ui/panels/FullBandDisplayPath.h"

#include <QSemaphore>
#include <QWidget>

class CPlotter;
class Controller;
class Demodulator;
class ModulationSelector;
class QPushButton;
class QTimer;
class SpectumScanner;
class VisuFifo;

// The panel of receive channel 0, "RX A": the scanner strip, a spectrum and
// waterfall of the receiver's whole band, and a bar with the channel's on/off
// button and modulation selector. While the channel is on, a 50 ms timer draws
// the full-band display window and hands the smoothed spectrum to the scanner
// and, every third frame, to the latest-spectrum store. The display's gestures
// become engine calls on channel 0; the engine's channel-0 events move the display.
class MainReceiver : public QWidget
{
    Q_OBJECT

public:
    static constexpr int FrameMs = 50;

    explicit MainReceiver(QWidget* parent = nullptr);
    ~MainReceiver() override;

    void setController(Controller* controller);
    qint64 getTunedFrequency();
    void setTuningLocked(bool locked);
    bool isTuningLocked() const { return tuningLocked; }
    static void applyWindow(double* w, int n) { DisplayFft::applyWindow(w, n); }

    CPlotter* getPlotter() const { return plotter; }
    SpectumScanner* getScanner() const { return scanner; }
    QPushButton* getOnOffButton() const { return onOffButton; }
    bool isRepainting() const;
    int getFftLength() const { return displayPath.length(); }

signals:
    void SIGNAL_updateSMeter(float dbfs, int channel);
    void SIGNAL_RXcoverageUpdated(int channel, double freq_start, double freq_stop);
    void SIG_WHATSONRequest(int key);

public slots:
    void MSG_ChannelIsTurnedOnOff(int channel, bool on_off);
    void SLOT_repaintSpectrum();
    void SLOT_NewCenterFreq(qlonglong f);
    void SLOT_NewDemodFreq(qlonglong freq, qlonglong delta);
    void SLOT_NewLowCutFreq(int f);
    void SLOT_NewHighCutFreq(int f);
    void SLOT_newFilterFreq(int low, int high);
    void SLOT_NewDemodWidthRequest(int new_span, int channel);
    void SLOT_setNewFilterFreqValue(int low, int high);
    void SLOT_newModulatorInstalled(Demodulator* new_demod, int channel);
    void SLOT_setModulatorByName(QString modulator, int low, int high);
    void SLOT_newBBLowHighCutSet(int low, int high, int channel);
    void SLOT_stepFrequency(int step);
    void SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel);
    void SLOT_newWFVisibleArea(qlonglong start, qlonglong stop);
    void SLOT_RxSamplingRateChanged(int new_rx_samplerate);
    void SLOT_UpdateReceiverUI(int channel, qulonglong hwRXCenter, float OffsetFrequency, int lowCut,
                               int highCut);
    void SLOT_RefreshBookmarks();
    void SLOT_SetIntegrator(int integ);
    void on_Gain_valueChanged(double value);
    void on_SpectrumMaxValue_valueChanged(double value);
    void on_SpectrumMinValue_valueChanged(double value);
    void on_pushButton_clicked();
    void on_MainSubBalance_valueChanged(double value);
    void on_newSpectrumSpan(int new_span);
    void SLOT_userSetOnOff();
    void SLOT_WHATSONRequest(int key);

private:
    void showWidth(int low, int high);
    // Sets the display's click offset for the pass band low..high of the mode in force.
    void followPassBand(int low, int high);
    void applyCuts(Demodulator* demod);

    bool tuningLocked = false;
    QSemaphore retuneLock{1};
    SpectumScanner* scanner = nullptr;
    CPlotter* plotter = nullptr;
    FullBandDisplayPath displayPath;
    QTimer* repaintTimer = nullptr;
    VisuFifo* visuFifo = nullptr;
    Controller* controller = nullptr;
    Demodulator* demodulator = nullptr;
    ModulationSelector* modulationSelector = nullptr;
    QPushButton* onOffButton = nullptr;
};
