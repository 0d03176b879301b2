#include "TxPanel.h"

#include "engine/Controller.h"
#include "ui/widgets/CFreqCtrl.h"
#include "ui/widgets/zxPushButton.h"

#include <QDebug>
#include <QVBoxLayout>

TxPanel::TxPanel(QWidget* parent) : QFrame(parent)
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

void TxPanel::setController(Controller* controller)
{
    if (controller != nullptr)
        connect(controller, &Controller::MSG_ChannelizerIsRetuned, this, &TxPanel::SLOT_ChannelizerIsRetuned);
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
