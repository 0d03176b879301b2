#include "engine/audio/AudioDevices.h"

#include <QAudioDeviceInfo>

namespace {

QStringList deviceNames(QAudio::Mode mode)
{
    QStringList names;
    for (const QAudioDeviceInfo& device : QAudioDeviceInfo::availableDevices(mode))
        names.append(device.deviceName());
    return names;
}

} // namespace

AudioDevices* AudioDevices::instance()
{
    static AudioDevices devices;
    return &devices;
}

AudioDevices::AudioDevices()
    : m_inputNames(deviceNames(QAudio::AudioInput)), m_outputNames(deviceNames(QAudio::AudioOutput))
{
}
