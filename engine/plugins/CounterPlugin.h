#pragma once

#include "engine/plugins/OrvexPlugin.h"

class QLabel;
class QLCDNumber;

// "counter": the elapsed time of a recording as hh:mm:ss under a legend,
// shown by the first value and hidden when the recording stops.
class CounterPlugin : public OrvexPlugin
{
    Q_OBJECT
public:
    CounterPlugin();

    // hh:mm:ss of secs, each part at least two digits.
    static QString formatElapsed(int secs);

    QString legend() const;
    QString displayed() const { return m_shown; }

private slots:
    void setLegend(QString text);
    void setValue(int secs);
    void hidePanel();

private:
    QLabel* m_legend;
    QLCDNumber* m_lcd;
    QString m_shown;
};
