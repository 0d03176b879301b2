#pragma once

#include "StreamFrameParser.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

class SrvHttpClient;

// The thread of one framed stream ("stream_thread", "spectrum_thread" or
// "srvstream_thread"). Each start runs one long transfer on a new thread and
// feeds it to a parser made for that run; the transfer sees a stop request at
// least about once a second, so a stop and join is bounded. A new start, and
// the destruction, stop and join the previous run first: no run outlives the
// objects it uses.
class StreamThread
{
public:
    struct Transfer
    {
        SrvHttpClient* client = nullptr;
        std::string path;
        bool sealed = false; // a POST of the sealed token, else a GET below the base URL
        StreamKind kind = StreamKind::IQ;
    };
    // Run on the stream's thread: before the transfer (false skips it), and
    // once the transfer has returned and the parser is freed.
    using BeforeTransfer = std::function<bool()>;
    using AfterTransfer = std::function<void()>;

    explicit StreamThread(const char* name);
    ~StreamThread();
    StreamThread(const StreamThread&) = delete;
    StreamThread& operator=(const StreamThread&) = delete;

    // Stops and joins a previous run, then starts a new one. The handlers'
    // stop check is replaced by this thread's stop request. False when the
    // thread could not be created (the hooks then never run).
    bool start(const Transfer& transfer, StreamHandlers handlers, BeforeTransfer before, AfterTransfer after);
    // The transfer ends at its next piece or progress call.
    void requestStop() { m_stop.store(true); }
    bool stopRequested() const { return m_stop.load(); }
    // Requests a stop and waits for the run to end; at once when none is left.
    // Not to be called from the stream's own thread (it then only requests).
    void stopAndJoin();
    // A run was started and not joined yet (it may have ended).
    bool hasRun() const { return m_thread.joinable(); }
    bool isStreamThread() const { return m_thread.get_id() == std::this_thread::get_id(); }

private:
    void run(Transfer transfer, BeforeTransfer before, AfterTransfer after);
    static bool stopCheck(void* self);

    const char* m_name;
    std::atomic<bool> m_stop{false};
    std::unique_ptr<StreamFrameParser> m_parser;
    std::thread m_thread;
};
