#pragma once

#include <QFrame>
#include <QPointer>
#include <QVector>

#include <memory>
#include <vector>

class Controller;
class Demodulator;
class QLCDNumber;
class QSlider;
class QSpinBox;
class zxPushButton;

// The mode strip of a receiver panel: one button per demodulation mode, the
// demodulated bandwidth, the (display-only) waterfall span, the waterfall
// averaging and an RIT slider. It creates and owns the panel's demodulators,
// installs the chosen one on its engine channel, turns bandwidth changes into
// pass-band edges, and once restores the channel's mode and edges from the
// receiver's board file.
class ModulationSelector : public QFrame
{
    Q_OBJECT
public:
    // withMeasurement adds the measurement mode "MSR" (RX A).
    explicit ModulationSelector(bool withMeasurement, QWidget* parent = nullptr);
    ~ModulationSelector() override;

    void setController(Controller* controller, int channel);
    // Restores the channel's mode, then its edges, from the board file; once.
    void loadSaveSettings();
    // Selects the mode whose demodulator is named name; asks for the edges when
    // low differs from high. 1 when done, -1 without engine, receiver or match.
    int setModulationByName(const QString& name, int low, int high);
    Demodulator* currentDemodulator() const { return current; }
    // Shows width in the bandwidth box without acting on it.
    void showDemodWidth(int width);
    void installCurrentOn(int channel);

    int modeCount() const { return static_cast<int>(demodulators.size()); }
    Demodulator* demodulatorAt(int index) const;
    zxPushButton* modeButton(int index) const { return modeButtons.value(index); }

public slots:
    void SLOT_userChangeModulation(int choice);
    void SLOT_userChangeDemodWidth(int newValue);
    void SLOT_userChangeRITValue(int newRit);
    void SLOT_userClearsRIT();
    void SLOT_userChangeIntegrator(int ch);
    void SLOT_userChangeVolume(int newVolume);
    void SLOT_WFallSpanChanged(int new_Span);
    void SLOT_userChangeSpectrumWidth(int newValue);

signals:
    void MSG_ChangeSpectrumWidthRequest(int new_Span);
    void MSG_ChangeSpectrumIntegrator(int new_integration);
    void MSG_ChangeDemodWidthRequest(int new_Span, int channel);

private:
    void buildStrip();
    void createDemodulators();
    // The demodulator installed on this selector's channel, or null.
    Demodulator* installedDemodulator() const;

    bool settingsLoaded = false;
    bool withMeasurement;
    QLCDNumber* ritDisplay = nullptr;
    QSlider* ritSlider = nullptr;
    QVector<zxPushButton*> modeButtons;
    QSpinBox* spectrumWidthBox = nullptr;
    QSpinBox* demodWidthBox = nullptr;
    QSpinBox* integratorBox = nullptr;
    std::vector<std::unique_ptr<Demodulator>> demodulators;
    Demodulator* current = nullptr;
    QPointer<Controller> controller;
    int channel = 0;
    int spectrumSpan = 0;
    int demodWidth = 0;
};
