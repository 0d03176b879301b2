#include "StreamThread.h"

#include "StreamTransfer.h"

#include <cstdio>
#include <system_error>

StreamThread::StreamThread(const char* name) : m_name(name) {}

StreamThread::~StreamThread()
{
    stopAndJoin();
}

bool StreamThread::start(const Transfer& transfer, StreamHandlers handlers, BeforeTransfer before,
                         AfterTransfer after)
{
    stopAndJoin();
    handlers.stopRequested = &StreamThread::stopCheck;
    handlers.stopUser = this;
    m_parser = std::make_unique<StreamFrameParser>(transfer.kind, handlers);
    m_stop.store(false);
    try {
        m_thread = std::thread(&StreamThread::run, this, transfer, std::move(before), std::move(after));
    } catch (const std::system_error&) {
        m_parser.reset();
        return false;
    }
    return true;
}

void StreamThread::stopAndJoin()
{
    if (!m_thread.joinable())
        return;
    m_stop.store(true);
    if (isStreamThread()) {
        std::fprintf(stderr, "%s error: asked to join itself\n", m_name);
        return;
    }
    m_thread.join();
}

bool StreamThread::stopCheck(void* self)
{
    return static_cast<StreamThread*>(self)->m_stop.load();
}

void StreamThread::run(Transfer transfer, BeforeTransfer before, AfterTransfer after)
{
    nameCurrentThread(m_name);
    const bool go = !before || before();
    if (go && transfer.client != nullptr)
        runStreamTransfer(*transfer.client, transfer.path, transfer.sealed, *m_parser,
                          StreamStopCheck{&StreamThread::stopCheck, this}, m_name);
    m_parser.reset(); // frees the receive buffer at once; a new start makes a new one
    if (after)
        after();
}
