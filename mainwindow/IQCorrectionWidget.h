#pragma once

#include <QDialog>

class CFreqCtrl;
class Controller;
class QSlider;
class ReceiverHardware;

// The receiver calibration dialog: I/Q balance factors applied live from three
// sliders (value / 1000), and the frequency error in ppm measured from the true
// frequency of the signal RX A is tuned to. "OK" keeps all four in the board
// file and hands the error to the receiver; "Annuler" puts the factors back.
class IQCorrectionWidget : public QDialog
{
    Q_OBJECT
public:
    static constexpr int SliderLimit = 1200;

    IQCorrectionWidget(Controller* controller, QWidget* parent = nullptr);

    // Loads the receiver's factors and error without applying anything, then
    // connects the sliders.
    void setTargetBoard(ReceiverHardware* receiver, int ncoOffset);

    float ppmValue() const { return ppm; }
    CFreqCtrl* frequencyEntry() const { return m_frequencyEntry; }
    QSlider* gainISlider() const { return m_gainISlider; }
    QSlider* crossGainSlider() const { return m_crossGainSlider; }
    QSlider* gainQSlider() const { return m_gainQSlider; }

public slots:
    void SLOT_slideChanged(int val);
    void SLOT_setNoCorrection();
    void SLOT_cancelChanges();
    void SLOT_userTunesFreqWidget(qint64 newFrequency);
    void SLOT_applyChanges();

private:
    Controller* controller;
    ReceiverHardware* receiver = nullptr;
    CFreqCtrl* m_frequencyEntry = nullptr;
    qint64 boardCentre = 0;
    int ncoOffset = 0;
    // Starts as the receiver's own error, so "OK" without a measurement keeps it.
    float ppm = 0.0f;
    float gainI = 1.0f;
    float crossGain = 0.0f;
    float gainQ = 1.0f;
    float savedGainI = 1.0f;
    float savedCrossGain = 0.0f;
    float savedGainQ = 1.0f;
    QSlider* m_gainISlider = nullptr;
    QSlider* m_crossGainSlider = nullptr;
    QSlider* m_gainQSlider = nullptr;
};
