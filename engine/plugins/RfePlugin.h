#pragma once

#include "engine/plugins/OrvexPlugin.h"

class QLabel;

// A small panel for an external frequency converter in front of the receiver:
// it shows the converter's local-oscillator frequency as it was when the panel
// was built, and offers one button that takes the converter out of use.
class RfePlugin : public OrvexPlugin
{
    Q_OBJECT
public:
    // lo: the converter's LO in Hz, read here only.
    explicit RfePlugin(const qint64* lo, QWidget* parent = nullptr);

    // "125.000 MHz" for 125 MHz.
    static QString loText(qint64 loHz);
    QString shownLo() const;

private slots:
    // Detaches the converter through the engine, when there is one.
    void disableRFE();

private:
    QLabel* m_loLabel = nullptr;
};
