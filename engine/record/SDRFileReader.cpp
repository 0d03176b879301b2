#include "engine/record/SDRFileReader.h"

#include "core/QLogger.h"
#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/record/PlaybackPacer.h"
#include "engine/record/RecordingFiles.h"
#include "engine/record/RfBlockReader.h"
#include "engine/record/RfFormat.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QMutexLocker>

#include <cstdlib>

SDRFileReader::SDRFileReader(QObject* parent) : QThread(parent), m_fifo(new SampleFifo(this)) {}

SDRFileReader::~SDRFileReader()
{
    m_stop.request();
    wait();
}

bool SDRFileReader::startPlaying(const QString& fileName)
{
    if (isRunning())
        return false;
    {
        QMutexLocker locker(&m_lock);
        m_fileName = fileName;
        m_error.clear();
    }
    m_fifo->flush();
    m_stop.clear();
    m_running.store(true);
    start(QThread::InheritPriority);
    return true;
}

QString SDRFileReader::errorText() const
{
    QMutexLocker locker(&m_lock);
    return m_error;
}

void SDRFileReader::setClock(std::unique_ptr<PlaybackClock> clock)
{
    if (!isRunning() && clock != nullptr)
        m_clock = std::move(clock);
}

void SDRFileReader::report(const QString& text)
{
    qWarning() << "SDRFileReader::run()" << text;
    QLogger::logWarning(LogModule, "SDRFileReader::run() " + text);
}

void SDRFileReader::fail(const QString& message)
{
    QString text;
    {
        QMutexLocker locker(&m_lock);
        m_error = m_fileName + ": " + message;
        text = m_error;
    }
    report(text);
    emit SIG_playbackFailed(text);
}

void SDRFileReader::playFile()
{
    QString name;
    {
        QMutexLocker locker(&m_lock);
        name = m_fileName;
    }
    FILE* file = RecordingFiles::open(name, "rb");
    if (file == nullptr) {
        fail(QStringLiteral("cannot open the file"));
        return;
    }
    RfBlockReader reader(file);
    PlaybackPacer pacer;
    pacer.start(m_clock->nowUs());
    for (;;) {
        while (m_fifo->size() > MaxQueuedBeforeWait && !m_stop.waitForMs(2)) {
        }
        if (m_stop.isSet())
            break;

        RfBlockHeader header;
        float* samples = nullptr;
        RfBlockReader::Status status = reader.next(&header, &samples);
        if (status == RfBlockReader::Error)
            fail(reader.message());
        if (status != RfBlockReader::Block) {
            qDebug() << "SDRFileReader::run()" << reader.message();
            break;
        }
        for (const QString& warning : reader.takeMetadataWarnings())
            report(name + ": " + warning);

        auto* context = static_cast<SampleContext*>(std::calloc(1, sizeof(SampleContext)));
        if (context == nullptr) {
            qDebug() << "SDRFileReader::run() error malloc";
            std::free(samples);
            fail(QStringLiteral("out of memory"));
            break;
        }
        RfFormat::contextFromHeader(header, context);
        if (m_fifo->enqueue(samples, header.sample_count, 0, context) <= 0) {
            std::free(samples);
            std::free(context);
        }

        const qint64 pause = pacer.pauseAfter(header.sample_count, header.rx_samplerate, m_clock->nowUs());
        if (pause > 0 && m_clock->pauseUs(pause, m_stop))
            break;
    }
    std::fclose(file);
}

void SDRFileReader::drainQueue()
{
    // The consumer takes the last blocks while the playback still counts as
    // running, at its own pace; a stop, or a consumer that no longer takes
    // any, ends the wait.
    QElapsedTimer sinceTaken;
    sinceTaken.start();
    int left = m_fifo->size();
    while (left > 0 && sinceTaken.elapsed() < DrainTimeoutMs && !m_stop.waitForMs(10)) {
        const int now = m_fifo->size();
        if (now < left)
            sinceTaken.restart();
        left = now;
    }
    m_fifo->flush();
}

void SDRFileReader::run()
{
    playFile();
    qDebug() << "SDRFileReader::run() end of read loop";
    drainQueue();
    m_running.store(false);
    emit SIG_reading_finished();
}
