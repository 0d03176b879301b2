#include "engine/record/Mp3FileWriter.h"

#include "core/QLogger.h"
#include "engine/SampleFifo.h"
#include "engine/record/CounterDisplay.h"
#include "engine/record/RecordingFiles.h"

#include <QDebug>

#include <lame/lame.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int IdleSleepMs = 20;

struct LameCloser
{
    void operator()(lame_global_flags* lame) const { lame_close(lame); }
};
using Lame = std::unique_ptr<lame_global_flags, LameCloser>;

// The encoder with its settings and tags, or null when LAME refuses them.
Lame makeEncoder(qint64 frequencyHz)
{
    Lame lame(lame_init());
    if (!lame)
        return nullptr;
    lame_set_num_channels(lame.get(), 2);
    lame_set_in_samplerate(lame.get(), Mp3FileWriter::SampleRate);
    lame_set_brate(lame.get(), Mp3FileWriter::BitRateKbps);
    lame_set_mode(lame.get(), STEREO);
    lame_set_quality(lame.get(), 5);
    id3tag_init(lame.get());
    QByteArray title = QString::number(double(frequencyHz) / 1e6, 'f', 3).toLocal8Bit();
    id3tag_set_title(lame.get(), title.constData());
    id3tag_set_artist(lame.get(), "Q9ZZQ");
    id3tag_set_album(lame.get(), "Orvex");
    id3tag_set_comment(lame.get(), "https://www.vantor-sdr.org");
    if (lame_init_params(lame.get()) < 0)
        return nullptr;
    return lame;
}

} // namespace

Mp3FileWriter::Mp3FileWriter(QObject* parent)
    : AudioRecordingThread(QStringLiteral("AudioFileWriter"), parent)
{
}

Mp3FileWriter::~Mp3FileWriter()
{
    stopAndWait();
}

void Mp3FileWriter::run()
{
    const qint64 frequencyHz = m_frequency.load();
    Lame lame = makeEncoder(frequencyHz);
    if (!lame) {
        QLogger::logError(LogModule, "AudioFileWriter::run() the MP3 encoder cannot be set up");
        m_running.store(false);
        m_fifo->flush();
        emit recordingFailed(tr("Enregistrement MP3 impossible : l'encodeur n'a pas pu etre prepare."));
        return;
    }
    const QString stamp = RecordingFiles::stamp();
    std::vector<unsigned char> out(OutputBufferBytes);
    qint64 totalFrames = 0;
    FILE* file = nullptr;
    bool failed = false;
    QString failure; // for the user, when the recording ends on an error

    // Writes what the encoder returned, creating the file at the first bytes.
    auto write = [&](int bytes) {
        if (bytes <= 0)
            return true;
        if (file == nullptr) {
            QString name = RecordingFiles::path(frequencyHz, stamp, QStringLiteral(".mp3"));
            // Read and write: LAME reads the file back to place its tag frame.
            file = RecordingFiles::open(name, "w+b");
            if (file == nullptr) {
                QLogger::logError(LogModule, "AudioFileWriter::run() cannot create " + name);
                failure = RecordingFiles::cannotCreateText(name);
                return false;
            }
            setFileName(name);
            CounterDisplay::setLegend(tr("Duree totale (s):"));
        }
        if (std::fwrite(out.data(), 1, size_t(bytes), file) != size_t(bytes)) {
            QLogger::logError(LogModule, "AudioFileWriter::run() write error on " + fileName() +
                                             ": the recording ends here");
            failure = RecordingFiles::writeErrorText(fileName());
            return false;
        }
        return true;
    };

    while (!failed) {
        int frames = 0;
        void* block = m_fifo->dequeue(&frames, 0, nullptr, true);
        if (block != nullptr) {
            const auto* pcm = static_cast<const float*>(block);
            bool wroteBytes = false;
            for (int done = 0; done < frames && !failed; done += MaxFramesPerCall) {
                int part = qMin(MaxFramesPerCall, frames - done);
                int bytes = lame_encode_buffer_interleaved_ieee_float(lame.get(), pcm + 2 * done, part,
                                                                      out.data(), int(out.size()));
                totalFrames += part;
                failed = !write(bytes);
                wroteBytes = wroteBytes || bytes > 0;
            }
            std::free(block);
            if (wroteBytes && !failed)
                CounterDisplay::setValue(int(totalFrames / SampleRate));
        } else {
            m_stop.waitForMs(IdleSleepMs);
        }
        if (m_stop.isSet()) {
            qDebug() << "AudioFileWriter::run() stop";
            break;
        }
    }

    if (file != nullptr) {
        if (!failed) {
            int bytes = lame_encode_flush(lame.get(), out.data(), int(out.size()));
            if (write(bytes))
                lame_mp3_tags_fid(lame.get(), file);
        }
        if (std::fclose(file) != 0) {
            QLogger::logError(LogModule, "AudioFileWriter::run() write error closing " + fileName());
            failure = RecordingFiles::writeErrorText(fileName());
        }
    }
    m_running.store(false);
    m_fifo->flush();
    if (file != nullptr)
        CounterDisplay::hide();
    if (!failure.isEmpty())
        emit recordingFailed(failure);
}
