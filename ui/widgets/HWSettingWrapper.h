#pragma once

#include <QObject>

class ReceiverHardware;

// Binds one gain slider to one gain stage of the receiver.
class HWSettingWrapper : public QObject
{
    Q_OBJECT
public:
    explicit HWSettingWrapper(QObject* parent = nullptr) : QObject(parent) {}

    int stage = 0;
    ReceiverHardware* hardware = nullptr;

public slots:
    void SLOT_setGain(int gain);
};
