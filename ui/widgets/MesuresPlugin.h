#pragma once

#include "engine/plugins/OrvexPlugin.h"

#include <QPointer>

class Demodulator;
class Mesurement;
class QLabel;
class QLCDNumber;
class zxPushButton;

// The measurement plug-in "mesure": the elapsed time of the measurement
// recording and its record button. It shows itself while the measurement
// demodulator is installed on RX A and hides when another mode replaces it.
// The measurement classes drive it by name ("setValue", "setCurrentBand",
// "hidePanel").
class MesuresPlugin : public OrvexPlugin
{
    Q_OBJECT
public:
    static const QString Name; // "mesure"

    MesuresPlugin();

    // Has the process-wide plug-in manager create this plug-in after its own
    // built-ins; start-up calls it once, before the manager is first used.
    static void registerBuiltIn();

    void setController(Controller* controller) override;

    // hh:mm:ss, the hours growing past two digits when needed.
    static QString formatElapsed(int secs);
    Mesurement* currentMeasurement() const { return measurement; }
    bool isRecordOn() const;
    QString displayedTime() const { return shownTime; }
    QString errorText() const;

public slots:
    void SLOT_newDemodulatorInstalled(Demodulator* demod, int channel);
    void SLOT_record_pressed();
    void SLOT_setBand(int bandwidth);
    void SLOT_changeCBAudioIQ(int value);
    void SLOT_newBBLowHighCutSet(int low, int high, int channel);
    void setCurrentBand(float bandwidth);
    void hidePanel();
    void setValue(int secs);

private slots:
    // A run ended, by a stop or by itself (sample limit, failure, mode change).
    void SLOT_recordingEnded();
    void SLOT_recordingFailed(QString reason);

private:
    void followWriter(Mesurement* mes);

    QLCDNumber* lcd;
    zxPushButton* recordButton;
    QLabel* errorLabel;
    QString shownTime;
    Mesurement* measurement = nullptr;
};
