#include "decoders/measure/MesurementFileWriter.h"

#include "core/QLogger.h"
#include "engine/SampleContext.h"
#include "engine/SampleFifo.h"
#include "engine/plugins/PluginManager.h"
#include "engine/record/RfFormat.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QVariantList>

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace {

constexpr int kBytesPerSample = 8; // float I, float Q

// Shows the elapsed time on the measurement plug-in, in the GUI thread.
void reportElapsed(int seconds)
{
    PluginManager::instance()->invokePluginMethod("mesure", "setValue", {QVariant(seconds)},
                                                  Qt::AutoConnection);
}

} // namespace

MesurementFileWriter::MesurementFileWriter() : m_inputFifo(new SampleFifo(this))
{
    QLogger::logTrace(LogModule, "MesurementFileWriter::MesurementFileWriter() done ");
}

MesurementFileWriter::~MesurementFileWriter()
{
    requestStop();
    wait(); // a run ends within one block after the request
}

QString MesurementFileWriter::fileNameFor(double hwCenter, const QString& stamp, int index)
{
    QString name = "./record/RX_" + QString::number(hwCenter / 1e6, 'f', 3) + "_" + stamp;
    if (index > 1)
        name += "_" + QString::number(index);
    return name + ".zxmsr";
}

int MesurementFileWriter::elapsedSeconds(qint64 totalSamples, float headerOutRate)
{
    const float rate = headerOutRate / 2.0f;
    if (!(rate > 0.0f))
        return 0;
    return static_cast<int>(static_cast<double>(totalSamples) / rate);
}

FILE* MesurementFileWriter::createFile(double hwCenter, const QString& stamp, int* index)
{
    // Created only where no file is yet, so a run started in the same second
    // as an earlier one at the same centre never replaces its recording.
    for (;; ++*index) {
        m_fileName = fileNameFor(hwCenter, stamp, *index);
        FILE* file = std::fopen(m_fileName.toLocal8Bit().constData(), "wbx");
        if (file != nullptr || errno != EEXIST || *index == std::numeric_limits<int>::max())
            return file;
    }
}

void MesurementFileWriter::fail(const QString& reason)
{
    QLogger::logError(LogModule, "MesurementFileWriter::run() " + reason);
    emit recordingFailed(reason);
}

int MesurementFileWriter::writeBlockHeader(const RfBlockHeader* header, FILE* file)
{
    if (header == nullptr || file == nullptr)
        return 0;
    uint8_t encoded[RfFormat::HeaderSize];
    RfFormat::encodeHeader(*header, encoded);
    return int(std::fwrite(encoded, 1, sizeof encoded, file));
}

void MesurementFileWriter::floatToShorts(const float in[2], int16_t out[2])
{
    out[0] = RfFormat::floatToInt16(in[0]);
    out[1] = RfFormat::floatToInt16(in[1]);
}

bool MesurementFileWriter::writeBlock(FILE* file, const RfBlockHeader& header, const void* samples,
                                      QString* reason)
{
    const size_t sampleBytes = static_cast<size_t>(header.sample_count) * kBytesPerSample;
    if (writeBlockHeader(&header, file) != RfFormat::HeaderSize ||
        (sampleBytes > 0 && std::fwrite(samples, 1, sampleBytes, file) != sampleBytes)) {
        *reason = tr("Erreur d'écriture dans le fichier %1").arg(m_fileName);
        return false;
    }
    return true;
}

bool MesurementFileWriter::startRecording(QThread::Priority priority)
{
    if (isRunning())
        return false;
    // Blocks copied just before the previous run ended belong to that run.
    m_inputFifo->flush();
    m_stopRequested = false;
    m_recording = true;
    start(priority);
    return true;
}

void MesurementFileWriter::run()
{
    const QString stamp = m_clock().toString("ddMMyyyy_hhmmss");
    QLogger::logTrace(LogModule, "MesurementFileWriter::run() ");
    m_recording = true;

    int fileIndex = 1;
    qint64 fileBytes = 0;
    qint64 totalSamples = 0;
    FILE* file = nullptr;
    QDir().mkpath("./record");

    while (!m_stopRequested) {
        int count = 0;
        SampleContext* context = nullptr;
        void* samples = m_inputFifo->dequeue(&count, 0, &context, true);
        if (!samples)
            continue; // the dequeue waited up to 10 ms

        RfBlockHeader header;
        if (context)
            header = RfFormat::headerFromContext(*context, count);
        header.block_type = RfFormat::MeasurementBlock;
        header.sample_count = count;
        std::free(context);

        if (!file) {
            file = createFile(header.hw_center, stamp, &fileIndex);
            fileBytes = 0;
            if (!file) {
                qDebug() << "MesurementFileWriter::run() error fopen";
                qDebug() << " File : " << m_fileName;
                std::free(samples);
                fail(tr("Impossible de créer le fichier %1").arg(m_fileName));
                break;
            }
        }

        QString reason;
        const bool written = writeBlock(file, header, samples, &reason);
        std::free(samples);
        if (!written) {
            fail(reason);
            break;
        }
        fileBytes += RfFormat::HeaderSize + static_cast<qint64>(count) * kBytesPerSample;
        totalSamples += count;

        if (fileBytes > m_fileSizeLimit) {
            const bool closed = std::fclose(file) == 0;
            file = nullptr;
            if (!closed) {
                fail(tr("Erreur d'écriture dans le fichier %1").arg(m_fileName));
                break;
            }
            ++fileIndex;
            fileBytes = 0;
        }

        reportElapsed(elapsedSeconds(totalSamples, header.ddc_outrate));
        const qint64 limit = m_sampleLimit;
        if (limit > 0 && totalSamples > limit)
            m_stopRequested = true;
    }

    // What stayed in the stream's buffer is written by the close.
    if (file && std::fclose(file) != 0)
        fail(tr("Erreur d'écriture dans le fichier %1").arg(m_fileName));
    m_inputFifo->flush();
    m_recording = false;
    if (m_emitWhenDone.exchange(false))
        emit newFileWritten(m_fileName);
}
