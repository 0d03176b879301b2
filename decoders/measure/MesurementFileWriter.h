#pragma once

#include <QDateTime>
#include <QString>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>

class SampleFifo;
struct RfBlockHeader;

// Writes the blocks of the measurement demodulator to ".zxmsr" files in
// "./record": each block as the raw-RF block header (block type 2, float
// samples) followed by its complex float samples. A file that grows past its
// size limit is closed after the block that crossed it and the run goes on in
// "..._2.zxmsr", "..._3.zxmsr"; a name an earlier recording has taken is
// skipped for the next number. The run ends on a stop request, on the sample
// limit, or on a file that cannot be created or written.
class MesurementFileWriter : public QThread
{
    Q_OBJECT
public:
    static constexpr qint64 DefaultFileSizeLimit = 67108863; // 2^26 - 1 bytes

    MesurementFileWriter();
    ~MesurementFileWriter() override;

    // Blocks with their context copies arrive here; the writer owns the queue.
    SampleFifo* inputFifo() const { return m_inputFifo; }

    // Starts a run unless one is running (false then). Blocks left from an
    // earlier run are discarded, and the run counts as recording from here on,
    // so a stop asked before its thread gets going is not lost.
    bool startRecording(QThread::Priority priority = QThread::InheritPriority);
    bool isRecording() const { return m_recording.load(); }
    bool isStopRequested() const { return m_stopRequested.load(); }
    void requestStop() { m_stopRequested = true; }
    // A run stops once more than this many samples were written; 0: no limit.
    void setSampleLimit(qint64 samples) { m_sampleLimit = samples; }
    // When set at the end of a run, newFileWritten is emitted with the last file.
    void setEmitWhenDone(bool on) { m_emitWhenDone = on; }
    void setFileSizeLimit(qint64 bytes) { m_fileSizeLimit = bytes; }
    // The clock a run takes its time stamp from (the local time unless set);
    // set only while no run is going.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // The name of file number index (1 for the first) of a run started at
    // stamp ("ddMMyyyy_hhmmss") whose opening block has centre hwCenter Hz.
    static QString fileNameFor(double hwCenter, const QString& stamp, int index);
    // Seconds of signal in total samples recorded with the header's ddc_outrate,
    // which holds twice the rate the samples came at; 0 for an unknown rate.
    static int elapsedSeconds(qint64 totalSamples, float headerOutRate);

    // Writes the 54-byte block header to an open file; the bytes written, 0
    // without a file or a header.
    static int writeBlockHeader(const RfBlockHeader* header, FILE* file);
    // A complex float sample as two 16-bit integers (I, Q), each part scaled
    // as in the raw-RF format: times 32767, truncated toward zero, saturated.
    static void floatToShorts(const float in[2], int16_t out[2]);

signals:
    void newFileWritten(QString fileName);
    // The run ended because a file could not be created or written.
    void recordingFailed(QString reason);

protected:
    void run() override;

private:
    // Writes one block; false (with reason set) when the file took less than all of it.
    bool writeBlock(FILE* file, const RfBlockHeader& header, const void* samples, QString* reason);
    // Opens file number *index of the run, or the first one after it whose
    // name no file has yet (*index moves on to it); null when none can be made.
    FILE* createFile(double hwCenter, const QString& stamp, int* index);
    void fail(const QString& reason);

    SampleFifo* m_inputFifo;
    QString m_fileName; // the file being written; used on the writer thread only
    std::function<QDateTime()> m_clock = &QDateTime::currentDateTime;
    std::atomic<bool> m_emitWhenDone{false};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_recording{false};
    std::atomic<qint64> m_sampleLimit{0};
    std::atomic<qint64> m_fileSizeLimit{DefaultFileSizeLimit};
};
