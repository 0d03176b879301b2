#pragma once

#include <QFrame>

class CFreqCtrl;
class Controller;
class zxPushButton;

// A transmit panel: a frequency entry following RX B and a "PTT" button. The
// engine has no transmit path, so the button only shows its state; it never
// writes the engine's state, which would stall reception.
class TxPanel : public QFrame
{
    Q_OBJECT
public:
    explicit TxPanel(QWidget* parent = nullptr);

    // The entry follows RX B's retunes.
    void setController(Controller* controller);

    CFreqCtrl* freqCtrl() const { return m_freqCtrl; }
    zxPushButton* pttButton() const { return m_ptt; }

public slots:
    void SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel);

private slots:
    void SLOT_userTunesFreqWidget(qlonglong newFrequency);
    void pttPressed();

private:
    CFreqCtrl* m_freqCtrl;
    zxPushButton* m_ptt;
};
