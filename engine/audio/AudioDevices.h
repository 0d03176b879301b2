#pragma once

#include <QObject>
#include <QStringList>

// The names of the sound devices Qt Multimedia knows, inputs and outputs, in
// Qt's order (a name given twice by Qt appears twice). Read once, when the
// process-wide list is first used: devices plugged in later are not seen.
class AudioDevices : public QObject
{
    Q_OBJECT
public:
    static AudioDevices* instance();

    const QStringList& inputNames() const { return m_inputNames; }
    const QStringList& outputNames() const { return m_outputNames; }

private:
    AudioDevices();

    QStringList m_inputNames;
    QStringList m_outputNames;
};
