#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <vector>

// What a capture recorded: 16-bit stereo frames scaled to -1..1.
struct StereoRecording
{
    int rate = 48000;
    std::vector<float> left;
    std::vector<float> right;
};

// Records a PulseAudio source (by default the test null sink's monitor) with parec,
// as 48000 Hz 16-bit stereo, so that tests can hear what the program played.
class SoundCapture
{
public:
    static constexpr const char* kDefaultSource = "tarnx_null.monitor";
    static constexpr const char* kDefaultSink = "tarnx_null";
    // How long a sound tool may take to start or answer before it counts as
    // broken: generous, since it only matters when it is.
    static constexpr int kProcessBoundMs = 20000;

    explicit SoundCapture(const QString& source = kDefaultSource, int rate = 48000);
    ~SoundCapture();
    SoundCapture(const SoundCapture&) = delete;
    SoundCapture& operator=(const SoundCapture&) = delete;

    // True when a PulseAudio server answers (pactl info).
    static bool serverAvailable();
    // Plays interleaved 16-bit stereo frames into a sink with pacat and waits (at
    // most timeoutMs) until they are played.
    static bool playFrames(const std::vector<short>& interleaved, int rate,
                           const QString& sink = kDefaultSink, int timeoutMs = 30000);

    // Starts recording and returns once data flows (false if parec failed to start
    // or nothing came within kProcessBoundMs: an idle null sink may first finish a
    // long sleep before it renders at the low latency asked for).
    bool start();
    // What was recorded since start or the previous take; recording goes on.
    StereoRecording takeNew();
    // Stops recording and returns what takeNew would have returned.
    StereoRecording stop();

private:
    QString m_source;
    int m_rate;
    QTemporaryDir m_dir;
    QString m_file;
    QProcess m_process;
    qint64 m_taken = 0; // bytes already handed out
};
