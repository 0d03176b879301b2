#pragma once

#include <QString>
#include <qwt_dial.h>

#include <climits>

// One read-only round dial showing a named value. Its range and resolution
// come from the settings group named after it ("min", "max", "points",
// "alarm"); missing keys are written with their defaults.
class IndicatorWidget : public QwtDial
{
    Q_OBJECT
public:
    IndicatorWidget(int index, const QString& name, QWidget* parent = nullptr);
    // A dial set up from its arguments, without settings and without applying
    // the bounds to the scale.
    IndicatorWidget(int index, const QString& name, double minValue, double maxValue, const QString& unit,
                    QWidget* parent = nullptr);

    int getIndex() const { return index; }
    QString getName() const { return name; }
    float getMinValue() const { return minValue; }
    float getMaxValue() const { return maxValue; }
    int getPoints() const { return points; }
    float getAlarmValue() const { return alarmValue; }

public slots:
    // A raw value of points steps across the scale; whole units are shown.
    void SLOT_updateValue(int newValue);
    // A value in scale units, shown as it is.
    void SLOT_updateDValue(double newValue);

protected:
    void drawScaleContents(QPainter* painter, const QPointF& center, double radius) const override;

private:
    void readSettings();
    void configureDial();

    int index;
    int lastValue = INT_MIN; // no raw value received yet: the first one is always shown
    float minValue = 0.0f;
    float maxValue = 100.0f;
    float alarmValue = 110.0f;
    int points = 255;
    QString name;
    QString unit;
};
