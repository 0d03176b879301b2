#pragma once

#include <QWidget>

class QComboBox;

// Two labelled lists for the names of the audio input and output devices.
class Param : public QWidget
{
    Q_OBJECT

public:
    explicit Param(QWidget* parent = nullptr);

    QComboBox* inputDevices;
    QComboBox* outputDevices;
};
