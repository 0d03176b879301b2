#include "SoundCapture.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace {
QStringList formatArguments(int rate)
{
    return {"--raw", "--format=s16le", "--channels=2", QStringLiteral("--rate=%1").arg(rate),
            "--latency-msec=20"};
}
} // namespace

SoundCapture::SoundCapture(const QString& source, int rate)
    : m_source(source), m_rate(rate), m_file(m_dir.filePath("capture.raw"))
{
}

SoundCapture::~SoundCapture()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(2000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool SoundCapture::serverAvailable()
{
    QProcess pactl;
    pactl.start("pactl", {"info"});
    if (!pactl.waitForFinished(kProcessBoundMs)) {
        pactl.kill();
        pactl.waitForFinished(1000);
        return false;
    }
    return pactl.exitStatus() == QProcess::NormalExit && pactl.exitCode() == 0;
}

bool SoundCapture::playFrames(const std::vector<short>& interleaved, int rate, const QString& sink,
                              int timeoutMs)
{
    QProcess pacat;
    pacat.start("pacat", QStringList{"--playback", "-d", sink} + formatArguments(rate));
    if (!pacat.waitForStarted(kProcessBoundMs))
        return false;
    pacat.write(reinterpret_cast<const char*>(interleaved.data()),
                static_cast<qint64>(interleaved.size() * sizeof(short)));
    pacat.closeWriteChannel();
    if (!pacat.waitForFinished(timeoutMs)) {
        pacat.kill();
        pacat.waitForFinished(1000);
        return false;
    }
    return pacat.exitCode() == 0;
}

bool SoundCapture::start()
{
    m_process.setStandardOutputFile(m_file, QIODevice::Truncate);
    m_process.start("parec", QStringList{"-d", m_source} + formatArguments(m_rate));
    if (!m_process.waitForStarted(kProcessBoundMs))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < kProcessBoundMs) {
        if (QFileInfo(m_file).size() > 0)
            return true;
        if (m_process.state() == QProcess::NotRunning)
            return false;
        QThread::msleep(5);
    }
    return false;
}

StereoRecording SoundCapture::stop()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(2000))
            m_process.kill();
        m_process.waitForFinished(2000);
    }
    return takeNew();
}

StereoRecording SoundCapture::takeNew()
{
    StereoRecording recording;
    recording.rate = m_rate;
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(m_taken))
        return recording;
    const qint64 frames = (file.size() - m_taken) / 4;
    const QByteArray bytes = file.read(frames * 4);
    m_taken += bytes.size();
    const auto* pcm = reinterpret_cast<const short*>(bytes.constData());
    const qint64 got = bytes.size() / 4;
    recording.left.resize(got);
    recording.right.resize(got);
    for (qint64 i = 0; i < got; ++i) {
        recording.left[i] = pcm[2 * i] / 32768.0f;
        recording.right[i] = pcm[2 * i + 1] / 32768.0f;
    }
    return recording;
}
