#include "engine/audio/AudioDeviceSelector.h"

#include "engine/audio/AudioDevices.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AudioDeviceSelector::AudioDeviceSelector(bool output, QWidget* parent) : QDialog(parent)
{
    AudioDevices* devices = AudioDevices::instance();
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(1);

    deviceNames = output ? devices->outputNames() : devices->inputNames();
    layout->addWidget(new QLabel(output ? tr("Sortie Audio :") : tr("Entree audio :"), this));

    m_devices = new QComboBox(this);
    m_devices->setToolTip(tr("Choix de la carte son"));
    m_devices->addItem(tr("Defaut"));
    for (const QString& name : deviceNames)
        m_devices->addItem(name, name);
    m_devices->setCurrentIndex(0);
    layout->addWidget(m_devices);

    m_closeButton = new QPushButton(tr("Fermer"), this);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::close);
    layout->addWidget(m_closeButton);

    setMinimumHeight(80);
    setMaximumHeight(100);
    setMinimumWidth(350);
    setWindowTitle(tr("Selection audio"));

    connect(m_devices, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &AudioDeviceSelector::PRIVSLOT_deviceChanged);
    selectedDevice.clear();
}

void AudioDeviceSelector::selectDevice(const QString& name)
{
    requestedDevice = name;
    const int index = m_devices->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        m_devices->setCurrentIndex(index);
}

void AudioDeviceSelector::PRIVSLOT_deviceChanged(int uselection)
{
    selectedDevice = uselection <= 0 ? QString() : m_devices->itemData(uselection).toString();
}
