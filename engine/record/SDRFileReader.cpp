#include "engine/record/SDRFileReader.h"

#include "core/QLogger.h"
#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/record/RecordingFiles.h"
#include "engine/record/RfBlockReader.h"

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

qint64 SDRFileReader::pacingDelayUs(int sampleCount, float sampleRate)
{
    if (!(sampleRate > 0) || sampleCount <= 0)
        return 0;
    // In double precision and clamped before the conversion: a rate near 0
    // must neither overflow the integer nor stall the player for days.
    const double pause = double(sampleCount) * 1e6 / double(sampleRate) - PacingLeadUs;
    if (!(pause > 0))
        return 0;
    return pause < double(MaxPacingDelayUs) ? qint64(pause) : MaxPacingDelayUs;
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

        qint64 pause = pacingDelayUs(header.sample_count, header.rx_samplerate);
        if (pause > 0 && m_stop.waitForUs(pause))
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
