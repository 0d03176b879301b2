#include "engine/record/WaveFileWriter.h"

#include "core/QLogger.h"
#include "engine/SampleFifo.h"
#include "engine/record/CounterDisplay.h"
#include "engine/record/RecordingFiles.h"

#include <QDebug>
#include <QFile>

#include <sndfile.h>

#include <cstdlib>

namespace {

constexpr int IdleSleepMs = 5;

SNDFILE* openWave(const QString& name)
{
    SF_INFO info{};
    info.samplerate = WaveFileWriter::SampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    return sf_open(QFile::encodeName(name).constData(), SFM_WRITE, &info);
}

} // namespace

WaveFileWriter::WaveFileWriter(QObject* parent)
    : AudioRecordingThread(QStringLiteral("WaveFileWriter"), parent)
{
}

WaveFileWriter::~WaveFileWriter()
{
    stopAndWait();
}

void WaveFileWriter::run()
{
    const QString stamp = RecordingFiles::stamp();
    qint64 totalFrames = 0;
    SNDFILE* file = nullptr;

    while (!m_stop.isSet()) {
        int frames = 0;
        auto* block = static_cast<float*>(m_fifo->dequeue(&frames, 0, nullptr, false));
        if (block == nullptr) {
            m_stop.waitForMs(IdleSleepMs);
            continue;
        }
        if (frames <= 0) {
            std::free(block);
            continue;
        }
        totalFrames += frames;
        if (file == nullptr) {
            QString name = RecordingFiles::path(m_frequency.load(), stamp, QStringLiteral(".wav"));
            file = openWave(name);
            if (file == nullptr) {
                qDebug() << "error opening " << name;
                qDebug() << sf_strerror(nullptr);
                QLogger::logError(LogModule, "WaveFileWriter::run() cannot create " + name + ": " +
                                                 QString::fromLocal8Bit(sf_strerror(nullptr)));
                std::free(block);
                break;
            }
            setFileName(name);
            CounterDisplay::setLegend(tr("Duree totale (s):"));
        }
        sf_count_t written = sf_write_float(file, block, sf_count_t(frames) * 2);
        std::free(block);
        if (written != sf_count_t(frames) * 2) {
            QLogger::logError(LogModule, "WaveFileWriter::run() write error on " + fileName() + ": " +
                                             QString::fromLocal8Bit(sf_strerror(file)) +
                                             "; the recording ends here");
            break;
        }
        CounterDisplay::setValue(int(totalFrames / SampleRate));
    }

    qDebug() << "WaveFileWriter::run() stop";
    if (file != nullptr && sf_close(file) != 0)
        QLogger::logError(LogModule, "WaveFileWriter::run() error closing " + fileName());
    m_running.store(false);
    // Blocks not written are dropped, also after a failure: the next recording
    // must not start with stale audio.
    m_fifo->flush();
    if (file != nullptr)
        CounterDisplay::hide();
}
