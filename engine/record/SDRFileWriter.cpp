#include "engine/record/SDRFileWriter.h"

#include "core/QLogger.h"
#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/plugins/PluginManager.h"
#include "engine/record/CounterDisplay.h"
#include "engine/record/RecordingFiles.h"

#include <QDebug>
#include <QMutexLocker>

#include <climits>
#include <cstdlib>

namespace {

constexpr int IdleSleepMs = 100;

int32_t saturatedInt32(qint64 value)
{
    return int32_t(qBound<qint64>(INT32_MIN, value, INT32_MAX));
}

} // namespace

SDRFileWriter::SDRFileWriter(QObject* parent) : QThread(parent), m_fifo(new SampleFifo(this))
{
    // The counter plug-in is a widget: the manager must exist before a
    // recorder thread calls it, so it is built here, in the GUI thread.
    PluginManager::instance();
    QLogger::logTrace(LogModule, "SDRFileWriter::SDRFileWriter() done ");
}

SDRFileWriter::~SDRFileWriter()
{
    m_stop.request();
    wait();
}

bool SDRFileWriter::startWriting(int maxSamples)
{
    if (m_writing.load() || isRunning())
        return false;
    qDebug() << "SDRFileWriter::startWriting";
    m_maxSamples.store(maxSamples);
    m_notifyOnEnd.store(false);
    // Cleared and set here rather than in the thread, so that a stop asked
    // right after the start is not lost and the engine queues blocks at once.
    m_stop.clear();
    m_fifo->flush();
    m_writing.store(true);
    start(QThread::InheritPriority);
    return true;
}

void SDRFileWriter::stopWriting()
{
    if (m_writing.load() && !m_stop.isSet()) {
        qDebug() << "SDRFileWriter::stopWriting";
        m_stop.request();
    }
}

QString SDRFileWriter::fileName() const
{
    QMutexLocker locker(&m_nameLock);
    return m_fileName;
}

void SDRFileWriter::setFileName(const QString& name)
{
    QMutexLocker locker(&m_nameLock);
    m_fileName = name;
}

bool SDRFileWriter::writeBlock(const RfBlockHeader& header, const float* samples, int count,
                               qint64* bytesWritten)
{
    uint8_t bytes[RfFormat::HeaderSize];
    RfFormat::encodeHeader(header, bytes);
    size_t headerBytes = std::fwrite(bytes, 1, sizeof bytes, m_file);

    const size_t sampleBytes = size_t(count) * RfFormat::BytesPerSample;
    if (m_conversion.size() != sampleBytes)
        m_conversion.resize(sampleBytes);
    for (int i = 0; i < count; ++i)
        RfFormat::floatToInt16Pair(&samples[2 * i], &m_conversion[size_t(i) * RfFormat::BytesPerSample]);
    size_t written = sampleBytes == 0 ? 0 : std::fwrite(m_conversion.data(), 1, sampleBytes, m_file);

    *bytesWritten = qint64(headerBytes + written);
    return headerBytes == sizeof bytes && written == sampleBytes;
}

void SDRFileWriter::run()
{
    const QString stamp = RecordingFiles::stamp();
    QLogger::logTrace(LogModule, "SDRFileWriter::run() ");

    int fileNumber = 1;
    qint64 total = 0; // the whole recording, all files
    qint64 fileSamples = 0;
    qint64 fileBytes = 0;
    bool counterShown = false;
    QString failure; // for the user, when the recording ends on an error

    while (!m_stop.isSet()) {
        int count = 0;
        SampleContext* context = nullptr;
        auto* samples = static_cast<float*>(m_fifo->dequeue(&count, 0, &context, false));
        if (samples == nullptr) {
            m_stop.waitForMs(IdleSleepMs);
            continue;
        }
        RfBlockHeader header = RfFormat::headerFromContext(context ? *context : SampleContext{}, count);
        std::free(context);

        if (m_file == nullptr) {
            QString name = RecordingFiles::path(
                qint64(header.hw_center), stamp,
                fileNumber == 1 ? QStringLiteral(".orvex") : QStringLiteral("_%1.orvex").arg(fileNumber));
            m_file = RecordingFiles::open(name, "wb");
            if (m_file == nullptr) {
                QLogger::logError(LogModule, "SDRFileWriter::run() cannot create " + name);
                failure = RecordingFiles::cannotCreateText(name);
                std::free(samples);
                break;
            }
            setFileName(name);
            CounterDisplay::setLegend(tr("Duree totale (s) :"));
            counterShown = true;
            fileBytes = 0;
            fileSamples = 0;
        }

        qint64 written = 0;
        bool complete = writeBlock(header, samples, count, &written);
        std::free(samples);
        fileBytes += written;
        if (!complete) {
            QLogger::logError(LogModule, "SDRFileWriter::run() write error on " + fileName() +
                                             ": the recording ends here");
            failure = RecordingFiles::writeErrorText(fileName());
            break;
        }
        total += count;
        fileSamples += count;

        if (header.rx_samplerate > 0)
            CounterDisplay::setValue(int(double(total) / header.rx_samplerate));

        const int maxSamples = m_maxSamples.load();
        if (maxSamples > 0 && total > maxSamples)
            m_stop.request();

        if (fileBytes > m_fileSizeLimit.load()) {
            RfTrailerBlock trailer;
            trailer.file_number = fileNumber;
            trailer.next_file_number = fileNumber + 1;
            trailer.file_samples = saturatedInt32(fileSamples);
            trailer.total_samples = saturatedInt32(total);
            uint8_t bytes[RfFormat::TrailerSize];
            RfFormat::encodeTrailer(trailer, bytes);
            bool trailerWritten = std::fwrite(bytes, 1, sizeof bytes, m_file) == sizeof bytes;
            bool closed = std::fclose(m_file) == 0;
            m_file = nullptr;
            if (!trailerWritten || !closed) {
                QLogger::logError(LogModule, "SDRFileWriter::run() write error closing " + fileName() +
                                                 ": the recording ends here");
                failure = RecordingFiles::writeErrorText(fileName());
                break;
            }
            ++fileNumber;
        }
    }

    if (m_file != nullptr) {
        if (std::fclose(m_file) != 0) {
            QLogger::logError(LogModule, "SDRFileWriter::run() write error closing " + fileName());
            failure = RecordingFiles::writeErrorText(fileName());
        }
        m_file = nullptr;
    }
    // Blocks not written are dropped, also after a failure: the next recording
    // must not start with stale samples.
    m_writing.store(false);
    m_fifo->flush();
    m_conversion = {};
    if (counterShown)
        CounterDisplay::hide();
    if (!failure.isEmpty())
        emit recordingFailed(failure);
    if (m_notifyOnEnd.exchange(false))
        emit newFileWritten(fileName());
}
