#pragma once

#include "engine/plugins/OrvexPlugin.h"

class QLabel;
class QwtDial;

// The plug-in "ADSB": a dial of the ADS-B receiver's updates per second. It
// starts hidden and shows itself with the first value.
class ADSBPlugin : public OrvexPlugin
{
    Q_OBJECT
public:
    static const QString Name; // "ADSB"
    static constexpr double DialMaximum = 130.0;

    ADSBPlugin();

    double shownValue() const;

public slots:
    void setValue(float stats);

private:
    QwtDial* dial;
    QLabel* label;
};
