#pragma once

#include <QWidget>

class Controller;
class QLineEdit;
class QwtScaleWidget;
class QwtSlider;
class RadarView;
class SpottedTableWidget;

// The "Scan" tab: the scanner's detection threshold, the table of live spots, the
// selected spot's frequency with buttons that tune RX A or RX B to it, and the
// polar azimuth display with its colour bar. The threshold slider follows the
// scanner's automatic threshold until the operator moves it.
class SpottedList : public QWidget
{
    Q_OBJECT

public:
    explicit SpottedList(QWidget* parent = nullptr);

    void setController(Controller* controller, int channel);
    // After a change of the receiver centre: back to following, at a fixed -100 dB.
    void resetThreshold();

    SpottedTableWidget* getTable() const { return table; }
    RadarView* getRadar() const { return radar; }
    QwtSlider* getThresholdSlider() const { return thresholdSlider; }
    QString getSelectionText() const;
    qint64 getSelectedFrequency() const { return selectedFrequency; }
    bool isFollowingAuto() const { return followAuto; }

public slots:
    void SLOT_newSpot(int id, qint64 frequency, float level_dBm, float angle);
    void SLOT_deadSpot(int id, qint64 frequency);
    void SLOT_userWantTuneOnSpot(qint64 frequency);
    void SLOT_tuneRXA();
    void SLOT_tuneRXB();
    void SLOT_autoThreshold(double t);
    void SLOT_setThreshold(double value);

signals:
    void newThreshold(double value);

private:
    void tune(int channel);

    SpottedTableWidget* table = nullptr;
    RadarView* radar = nullptr;
    QwtScaleWidget* colourBar = nullptr;
    QLineEdit* selectionEdit = nullptr;
    qint64 selectedFrequency = 0;
    QwtSlider* thresholdSlider = nullptr;
    bool followAuto = true;
    Controller* controller = nullptr;
    int channel = 0;
};
