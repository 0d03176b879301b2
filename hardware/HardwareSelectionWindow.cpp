#include "hardware/HardwareSelectionWindow.h"

#include "core/ProcessEnd.h"
#include "hardware/HardwareTableModel.h"
#include "hardware/HardwareTableWidget.h"
#include "hardware/RemoteReceiverHardware.h"
#include "hardware/RemoteServerForm.h"
#include "hardware/RemoteServerReceivers.h"
#include "hardware/dbRemoteSDR.h"
#include "srvlib/SrvHttpClient.h"
#include "srvlib/SrvServer.h"

#include <QComboBox>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString MessageTitle = QStringLiteral("Tarnx");

SrvServer* serverOf(ReceiverHardware* receiver)
{
    auto* remote = dynamic_cast<RemoteReceiverHardware*>(receiver);
    return remote != nullptr ? remote->server() : nullptr;
}

void inform(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, MessageTitle, text, QMessageBox::Yes);
    box.exec();
}

} // namespace

HardwareSelectionWindow::HardwareSelectionWindow(QVector<ReceiverHardware*>* list, QWidget* parent)
    : QDialog(parent), m_list(list)
{
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(1);

    m_table = new HardwareTableWidget(list, this);
    m_table->setMinimumWidth(300);
    layout->addWidget(m_table);

    auto* rateRow = new QWidget(this);
    auto* rateLayout = new QHBoxLayout(rateRow);
    rateLayout->setAlignment(Qt::AlignLeft);
    rateLayout->setContentsMargins(1, 1, 1, 1);
    rateLayout->addWidget(new QLabel(tr("Freq. Echantillonnage :"), rateRow));
    m_rateBox = new QComboBox(rateRow);
    m_rateBox->setToolTip(tr("Choix de la frequence d'echantillonnage du materiel"));
    rateLayout->addWidget(m_rateBox);
    layout->addWidget(rateRow);

    auto* buttonRow = new QWidget(this);
    auto* buttonLayout = new QHBoxLayout(buttonRow);
    m_useButton = new QPushButton(tr("Fermer"), buttonRow);
    m_remoteButton = new QPushButton(tr("Remote Beamhost"), buttonRow);
    m_quitButton = new QPushButton(tr("Quitter le programme"), buttonRow);
    buttonLayout->addWidget(m_useButton);
    buttonLayout->addWidget(m_remoteButton);
    buttonLayout->addWidget(m_quitButton);
    layout->addWidget(buttonRow);

    setMinimumHeight(350);
    setMinimumWidth(600);
    setWindowTitle(tr("Choix du SDR utilise"));

    connect(m_useButton, &QPushButton::clicked, this, &QDialog::close);
    connect(m_remoteButton, &QPushButton::clicked, this, &HardwareSelectionWindow::PRIVSLOT_addRemote);
    connect(m_quitButton, &QPushButton::clicked, this, &HardwareSelectionWindow::PRIVSLOT_quitProgram);
    connect(m_table, &HardwareTableWidget::rxHwSelected, this,
            &HardwareSelectionWindow::PRIVSLOT_rxHwSelected);
    connect(m_rateBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &HardwareSelectionWindow::PRIVSLOT_bwChanged);
}

void HardwareSelectionWindow::PRIVSLOT_rxHwSelected(ReceiverHardware* rx)
{
    m_selected = rx;
    if (rx == nullptr)
        return;
    m_useButton->setText(tr("Utiliser ") + " " + QString::fromLocal8Bit(rx->getHardwareName()));

    // Filling the box applies no rate: only the user's own pick does.
    m_rateBox->blockSignals(true);
    m_rateBox->clear();
    m_rateChosen = false;
    const int preferred = rx->getPreferredSampleRate();
    for (int i = 0; i < rx->getSampleRateCount(); ++i) {
        const int rate = rx->getSampleRateValue(i);
        m_rateBox->addItem(HardwareTableModel::sampleRateText(rate), uint(rate));
        if (rate == preferred)
            m_rateBox->setCurrentIndex(i);
    }
    m_rateBox->blockSignals(false);
}

void HardwareSelectionWindow::PRIVSLOT_bwChanged(int uselection)
{
    if (uselection < 0 || m_selected == nullptr)
        return;
    const uint rate = m_rateBox->itemData(uselection).toUInt();
    m_rateChosen = true;
    m_selected->setRxSampleRate(int(rate));
}

void HardwareSelectionWindow::PRIVSLOT_Quit()
{
    m_selected = nullptr;
    close();
}

QVector<SrvServer*> HardwareSelectionWindow::listedServers() const
{
    QVector<SrvServer*> servers;
    for (ReceiverHardware* receiver : *m_list) {
        SrvServer* server = serverOf(receiver);
        if (server != nullptr && server->client() != nullptr && !servers.contains(server))
            servers.append(server);
    }
    return servers;
}

ReceiverHardware* HardwareSelectionWindow::getSelected()
{
    if (m_selected == nullptr)
        return nullptr;
    if (!m_rateChosen)
        m_selected->setRxSampleRate(m_selected->getPreferredSampleRate());
    const SrvServer* chosenServer = serverOf(m_selected);
    for (SrvServer* server : listedServers()) {
        if (server == chosenServer)
            continue;
        qDebug() << "closing unused session";
        server->client()->closeSession();
    }
    return m_selected;
}

bool HardwareSelectionWindow::addRemoteStreams(SrvServer* server, const char* alias)
{
    if (server == nullptr)
        return false;
    if (!server->connect(alias)) {
        RemoteServerReceivers::discard(server);
        return false;
    }
    const QVector<RemoteReceiverHardware*> added = RemoteServerReceivers::newChannelizerReceivers(*m_list);
    for (RemoteReceiverHardware* receiver : added)
        m_table->addHardware(receiver);
    if (added.isEmpty()) {
        // Its streams may be registered (and listed) already: only a server
        // that registered nothing can go.
        RemoteServerReceivers::discard(server);
        return false;
    }
    return true;
}

void HardwareSelectionWindow::PRIVSLOT_addRemote()
{
    RemoteServerForm form;
    if (!form.ask())
        return;
    const QByteArray alias = form.userName().toLocal8Bit();
    if (!addRemoteStreams(form.server(), alias.constData())) {
        inform(QObject::tr("Acces reseau impossible ou refusé"));
        return;
    }
    QMessageBox question(QMessageBox::NoIcon, MessageTitle,
                         QObject::tr("Ajouter à votre liste de serveurs distants ?"),
                         QMessageBox::Yes | QMessageBox::No);
    question.setDefaultButton(QMessageBox::No);
    if (question.exec() != QMessageBox::Yes)
        return;
    dbRemoteSDR row;
    if (!row.create(form.address(), form.port(), form.keyText(), form.userName()))
        inform(QObject::tr("Erreur d'enregistrement"));
}

void HardwareSelectionWindow::PRIVSLOT_quitProgram()
{
    for (SrvServer* server : listedServers())
        server->client()->closeSession();
    close();
    endProgram();
}

void HardwareSelectionWindow::endProgram()
{
    // Not through the exit handlers, where the sound library's teardown can abort.
    endProcess(0);
}
