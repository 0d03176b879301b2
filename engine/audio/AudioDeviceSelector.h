#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QPushButton;

// A small dialog to choose a sound device, inputs or outputs. The first entry
// stands for the system's default device and gives an empty name; the choice
// is read from selectedDevice once the dialog has closed.
class AudioDeviceSelector : public QDialog
{
    Q_OBJECT
public:
    AudioDeviceSelector(bool output, QWidget* parent = nullptr);

    // Makes the entry of that exact name current; an unknown name changes nothing.
    void selectDevice(const QString& name);

    // The chosen device name, empty for the default device.
    QString selectedDevice;
    // The name last passed to selectDevice.
    QString requestedDevice;
    // The names listed (inputs or outputs).
    QStringList deviceNames;

private slots:
    void PRIVSLOT_deviceChanged(int uselection);

private:
    QComboBox* m_devices;
    QPushButton* m_closeButton;
};
