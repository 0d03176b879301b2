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
    if (!pactl.waitForFinished(3000)) {
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
    if (!pacat.waitForStarted(3000))
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
    if (!m_process.waitForStarted(3000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 2000) {
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
    StereoRecording recording;
    recording.rate = m_rate;
    QFile file(m_file);
    if (!file.open(QIODevice::ReadOnly))
        return recording;
    const QByteArray bytes = file.readAll();
    const qint64 frames = bytes.size() / 4;
    const auto* pcm = reinterpret_cast<const short*>(bytes.constData());
    recording.left.resize(frames);
    recording.right.resize(frames);
    for (qint64 i = 0; i < frames; ++i) {
        recording.left[i] = pcm[2 * i] / 32768.0f;
        recording.right[i] = pcm[2 * i + 1] / 32768.0f;
    }
    return recording;
}
