#include "TxPanel.h"

#include "ui/widgets/CFreqCtrl.h"
#include "ui/widgets/zxPushButton.h"

#include <QDebug>
#include <QVBoxLayout>

TxPanel::TxPanel(QObject* engine, QWidget* parent) : QFrame(parent), controller(engine)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    m_freqCtrl = new CFreqCtrl(this);
    m_freqCtrl->setMaximumHeight(80);
    layout->addWidget(m_freqCtrl);
    m_ptt = new zxPushButton("PTT", this);
    m_ptt->setState(false);
    layout->addWidget(m_ptt);
    connect(m_freqCtrl, &CFreqCtrl::newFrequency, this, &TxPanel::SLOT_userTunesFreqWidget);
    connect(m_ptt, &zxPushButton::pressed, this, &TxPanel::pttPressed);
}

void TxPanel::SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel)
{
    if (channel != 1)
        return;
    qDebug() << "TxPanel::SLOT_ChannelizerIsRetuned()" << newFrequency << channel;
    m_freqCtrl->showFrequency(hwRXCenter + qint64(newFrequency));
}

void TxPanel::SLOT_userTunesFreqWidget(qlonglong newFrequency)
{
    qDebug() << "TxPanel::SLOT_userTunesFreqWidget()" << newFrequency;
}

void TxPanel::pttPressed()
{
    qDebug() << "TxPanel::pttPressed()";
    m_ptt->setState(!m_ptt->getState());
}
