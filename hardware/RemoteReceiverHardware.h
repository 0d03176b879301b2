#pragma once

#include "engine/ReceiverHardware.h"
#include "srvlib/RemoteRfContext.h"

#include <QObject>

#include <atomic>
#include <complex>
#include <memory>
#include <mutex>
#include <string>

class RemoteStream;
class SampleFifo;
class SrvHttpClient;
class SrvServer;
class SrvSource;
class VantorCBHandler;

// One I/Q stream of a remote receiver server served as a receiver. Samples
// arrive on the stream's own thread and wait in a queue until the engine
// thread fetches them; tuning is a tune request to the server and the gain
// stages are those of the stream's source. The radio context that comes with
// the samples (the server's centre, station position and antenna azimuth) is
// passed on to the engine, the station location and the antenna orientation.
//
// Every wait on the stream is bounded: a server that cannot be reached makes
// prepareRXEngine fail, and getRXSamples gives up once the stream has ended or
// nothing came for a while. The destructor stops the stream thread and waits
// until it has left the transfer, so it never calls a freed receiver.
class RemoteReceiverHardware : public QObject, public ReceiverHardware
{
    Q_OBJECT
public:
    // A block of a fetch, in complex samples.
    static constexpr int BlockSamples = 1024;
    // Blocks a fetch waits for after a start.
    static constexpr int StartWatermark = 5;
    // How long a start waits for the first data (the stream's connection
    // attempt itself gives up after 5 s).
    static constexpr int StartTimeoutMs = 8000;
    // How long a fetch gathers while the stream delivers nothing.
    static constexpr int FetchTimeoutMs = 1000;
    // How long a stop waits for the stream thread to leave its transfer (it
    // sees the stop at least about once a second).
    static constexpr int StopTimeoutMs = 5000;

    // Wraps a registered stream; the stream, its source, server and client
    // belong to the server model and stay.
    explicit RemoteReceiverHardware(RemoteStream* stream, QObject* parent = nullptr);
    // The registered stream of that UID, reached through client (which must be
    // the stream's own or one of the same server).
    RemoteReceiverHardware(SrvHttpClient* client, const QString& key, QObject* parent = nullptr);
    ~RemoteReceiverHardware() override;

    SrvHttpClient* client() const { return m_client; }
    RemoteStream* stream() const { return m_stream; }
    // The stream's source, or null when it is not registered.
    SrvSource* source() const { return m_source; }
    SrvServer* server() const { return m_server; }
    // The stream's UID.
    const std::string& key() const { return m_key; }

    int getBoardCount() override;
    int doCalibrate() override;
    const char* getHardwareName() override;
    int prepareRXEngine() override;
    int finalizeRXEngine() override;
    int setRxSampleRate(int rate) override;
    int setRxHWFilterBW(int hertz) override;
    int getActualRxSampleRate() override;
    int setRxCenterFreq(qint64 frequency) override;
    qint64 getRxCenterFreq() override;
    qint64 getMin_HWRx_CenterFreq() override;
    qint64 getMax_HWRx_CenterFreq() override;
    int setRxGain(float gain, int stage) override;
    float getRxGainValue(int stage) override;
    int getRxGainStageCount() override;
    QString getRxGainStageName(int stage) override;
    QString getRxGainStageUnitName(int stage) override;
    int getRxGainStageType(int stage) override;
    float getMinGainValue(int stage) override;
    float getMaxGainValue(int stage) override;
    int getGainDiscreteValuesCount(int stage) override;
    float getGainDiscreteValue(int stage, int index) override;
    int setAutoGainMode() override;
    int getActualRxHWFilter() override;
    void* getRXSamples(int blocks, int* count) override;
    void dc_remove() override;
    void setIQCorrectionFactors(float gainI, float gainQ, float gainC) override;
    void getIQCorrectionFactors(float* gainI, float* gainQ, float* gainC) override;
    void setppmError(double ppm) override;
    double getppmError() override;

    // Stream thread: queues a malloc'd block (taken over, freed when refused).
    void streamCallBack(std::complex<float>* samples, int count);
    // Stream thread: passes a changed centre, station position or azimuth on.
    void rfContextCallBack(const remote_rf_context* context);

    // Blocks waiting to be fetched.
    int queuedBlocks() const;

    // The engine that takes this receiver becomes its server's session
    // handler. Null, or the receiver's destruction, ends the session stream
    // again (bounded), after which no call reaches the former handler.
    Q_INVOKABLE void setSessionHandler(VantorCBHandler* handler);

public slots:
    void remoteRetuned(qlonglong frequency, int samplerate);

signals:
    // The server's centre moved to newF at the rate newSR (emitted on the stream thread).
    void RemoteWasRetuned(qlonglong newF, int newSR);

private:
    void init();
    // True while the stream thread this receiver started may still call it.
    bool streamThreadActive() const;
    // Asks the stream to stop and waits (bounded) until its thread left the
    // transfer; false when it is still in it.
    bool stopStream(bool processEvents);
    // Waits up to ms for cond, with processEvents handling the calling thread's
    // events meanwhile.
    template <class Cond> static bool waitFor(Cond cond, int ms, bool processEvents);
    // Ends the session stream this receiver's handler serves, without a last call to it.
    void detachSessionHandler();

    SrvHttpClient* m_client = nullptr;
    RemoteStream* m_stream = nullptr;
    SrvSource* m_source = nullptr;
    SrvServer* m_server = nullptr;
    std::unique_ptr<SampleFifo> m_queue;
    std::unique_ptr<remote_rf_context> m_lastContext;
    char m_name[255] = "INVALID";
    std::string m_key;
    // Set from the GUI thread, read on the engine thread.
    std::atomic<int> m_filterBandwidth{0};
    std::mutex m_tuneLock;
    // Blocks a fetch waits for; set by a start and lowered by fetches.
    std::atomic<int> m_watermark{0};
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_dataArrived{false};
    bool m_handlerSet = false;
};
