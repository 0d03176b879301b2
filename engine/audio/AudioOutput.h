#pragma once

#include "engine/audio/AudioMixdown.h"
#include "engine/audio/PlaybackBuffering.h"

#include <QAudioDeviceInfo>
#include <QAudioFormat>
#include <QElapsedTimer>
#include <QString>
#include <QThread>
#include <atomic>
#include <memory>

class QAudioOutput;
class QIODevice;
class SampleFifo;

// The thread that plays the receiver's audio. It takes stereo blocks from the audio
// queue (channel 0 in the real parts, channel 1 in the imaginary parts), runs the
// equalizer, mixes them down (AudioMixdown) and writes 48000 Hz 16-bit stereo frames
// to the sound device. The device is chosen when the object is built; the Qt audio
// output itself is created, used and destroyed on this thread, opened at the first block
// with a buffer sized from the blocks (PlaybackBuffering): short, so that the sound
// follows a retune quickly, and longer after underruns. Every block it takes is played.
// Without a usable device, or while the device stops taking audio, the thread keeps
// draining its queue, discarding the audio, so that nothing upstream stalls; it logs
// that once, and plays again as soon as the device takes audio again.
class AudioOutput : public QThread
{
    Q_OBJECT
public:
    static constexpr int kSampleRate = AudioMixdown::kSampleRate;
    // The longest a stop waits for the thread.
    static constexpr unsigned long kStopBoundMs = 3000;

    // An empty deviceName takes the first output device that supports the format,
    // otherwise the first whose name contains deviceName.
    AudioOutput(const QString& deviceName, SampleFifo* audioQueue, QObject* parent = nullptr);
    // Stops the thread (stop). Its owner destroys it only once the thread has ended:
    // Qt ends the process when a running thread's object is destroyed.
    ~AudioOutput() override;

    int getSampleRate() const { return kSampleRate; }
    void prepare() {}
    void setFrameLength(int) {}

    void mute() { m_mixdown.setMuted(true); }
    void unmute() { m_mixdown.setMuted(false); }
    // The mix as it stands (balance weights, volume, mute).
    const AudioMixdown& mixdown() const { return m_mixdown; }
    // Ends run at its next turn, waking it if it waits for audio.
    void requestStop();
    // requestStop, then waits for the thread at most boundMs; false (and logged) when it
    // still runs, held in the sound system or a call that does not return: the object
    // and its audio queue must then stay alive.
    bool stop(unsigned long boundMs = kStopBoundMs);

    // No channel is on: blocks are taken and discarded. Written by the mixing thread.
    std::atomic<bool> noChannel{false};

    // The device chosen at construction (empty name when none supports the format).
    QString deviceName() const { return m_device.isNull() ? QString() : m_device.deviceName(); }
    const QAudioFormat& format() const { return m_format; }
    // Blocks written to the device and blocks dropped (no channel, no device).
    qint64 blocksPlayed() const { return m_blocksPlayed.load(); }
    qint64 blocksDiscarded() const { return m_blocksDiscarded.load(); }
    // The sound device's buffer as last opened (0 before).
    int deviceBufferMs() const { return m_deviceBufferMs.load(); }

public slots:
    void audioRewind(int nsec) { m_mixdown.requestRewind(nsec); }
    void setBalance(double value) { m_mixdown.setBalance(value); }
    void setVolumePrct(int prct) { m_mixdown.setVolumePercent(prct); }

protected:
    void run() override;

private:
    void chooseDevice(const QString& requestedName);
    // Opens the device with the buffer the blocks of count samples call for, or again
    // after an underrun that grew it; false without a usable device.
    bool prepareDevice(int count, qint64 gapMs);
    void openDevice(int bufferMs);
    // The device ran out of audio since the last block.
    bool ranDry() const;
    void closeDevice();
    // Writes all bytes unless the device stops accepting them; false then.
    bool writeAll(QIODevice* sink, const char* data, qint64 size);
    // Hands a block of frames to the device; false when it was discarded.
    bool play(QIODevice* sink, const char* data, qint64 size);
    void reportNoDevice(const QString& why);

    std::atomic<bool> m_stopRequested{false};
    SampleFifo* m_audioQueue;
    QAudioFormat m_format;
    QAudioDeviceInfo m_device;
    AudioMixdown m_mixdown;
    QAudioOutput* m_output = nullptr;               // lives on the thread running run()
    QIODevice* m_sink = nullptr;                    // m_output's
    std::unique_ptr<PlaybackBuffering> m_buffering; // for the blocks' length in force
    int m_blockLength = 0;
    QElapsedTimer m_sinceOpen;
    bool m_playedSinceOpen = false;
    bool m_noDeviceReported = false;
    // The device stopped taking audio: blocks go to it only once it has room at once.
    bool m_stalled = false;
    std::atomic<qint64> m_blocksPlayed{0};
    std::atomic<qint64> m_blocksDiscarded{0};
    std::atomic<int> m_deviceBufferMs{0};
};
