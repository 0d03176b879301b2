#include "RemoteStream.h"

#include "SrvHttpClient.h"
#include "SrvJson.h"
#include "SrvRegistry.h"
#include "SrvServer.h"
#include "SrvSource.h"
#include "WireText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

RemoteStream::RemoteStream(SrvServer* server, json_t* object)
    : m_server(server), m_client(server != nullptr ? server->client() : nullptr)
{
    parse(object);
}

RemoteStream::~RemoteStream()
{
    join();
}

bool RemoteStream::parse(json_t* object)
{
    // A tune reply describes the stream again: a member it lacks keeps the
    // value the stream had (0 after construction), so a running stream keeps
    // its rate.
    std::lock_guard<std::mutex> guard(m_lock);
    jsonGetString(object, "UID", m_uid);
    jsonGetString(object, "name", m_name);
    jsonGetString(object, "source", m_source);
    jsonUpdateInt(object, "max_users", m_maxUsers);
    jsonUpdateInt(object, "subscribers", m_subscribers);
    int userTemp = m_userTemp ? 1 : 0;
    jsonUpdateInt(object, "user_temp_stream", userTemp);
    m_userTemp = userTemp == 1;
    int64_t center = 0;
    if (jsonUpdateFrequency(object, "center", center))
        m_center.store(center);
    jsonUpdateFrequency(object, "fmax", m_fmax);
    jsonUpdateFrequency(object, "fmin", m_fmin);
    jsonUpdateInt(object, "sr", m_sr);
    return true;
}

std::string RemoteStream::key(bool withHost) const
{
    if (withHost && m_client != nullptr)
        return uid() + "@" + m_client->name();
    return uid();
}

std::string RemoteStream::uid() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_uid;
}

std::string RemoteStream::name() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_name;
}

std::string RemoteStream::source() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_source;
}

int64_t RemoteStream::fmin() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_fmin;
}

int64_t RemoteStream::fmax() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_fmax;
}

int RemoteStream::sampleRate() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_sr;
}

int RemoteStream::maxUsers() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_maxUsers;
}

int RemoteStream::subscribers() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_subscribers;
}

bool RemoteStream::isUserTemporary() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_userTemp;
}

namespace {

// A stream object that can be trusted: centre and limits each present and a
// sound frequency, the limits in order, and a rate, when it gives one, above
// 0 (a running stream never takes rate 0).
bool isSoundDescription(json_t* stream)
{
    int64_t center = 0, fmin = 0, fmax = 0;
    int rate = 1;
    jsonUpdateInt(stream, "sr", rate);
    return jsonReadFrequency(stream, "center", &center) && jsonReadFrequency(stream, "fmin", &fmin) &&
           jsonReadFrequency(stream, "fmax", &fmax) && fmin <= fmax && rate > 0;
}

} // namespace

bool RemoteStream::tuneRequest(int64_t hz)
{
    if (m_client == nullptr)
        return false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        hz = std::min(std::max(hz, m_fmin), m_fmax);
    }
    std::string path = "streams/" + encodePathText(uid()) + "/tune/" + formatFixed(double(hz) / 1e6, 3);
    char* reply = m_client->request(path.c_str());
    if (reply == nullptr)
        return false;
    json_t* json = json_loads(reply, 0, nullptr);
    if (json == nullptr || !isSoundDescription(json)) {
        // Also a reply that would set the centre, the limits or the rate to nonsense.
        std::fprintf(stderr, "RemoteStream::%s() error %s\n", "tuneRequest", reply);
        json_decref(json);
        std::free(reply);
        return false;
    }
    std::free(reply);
    bool parsed = parse(json);
    json_decref(json);
    return parsed;
}

bool RemoteStream::setGain(float value, int n)
{
    SrvSource* streamSource = findSource(source());
    return streamSource != nullptr && streamSource->setGain(value, n);
}

bool RemoteStream::start(SrvIQCallback iq, void* iqUser, SrvContextCallback context, void* contextUser)
{
    if (m_thread.hasRun() && isReceiving())
        stop();
    m_thread.stopAndJoin();
    StreamHandlers handlers;
    handlers.iq = iq;
    handlers.iqUser = iqUser;
    handlers.context = context;
    handlers.contextUser = contextUser;
    m_current.store(Reset);
    m_wanted.store(Starting);
    StreamThread::Transfer transfer{m_client, "streams/" + encodePathText(uid()) + "/raw",
                                    m_client != nullptr && m_client->hasServerKey(), StreamKind::IQ};
    if (!m_thread.start(transfer, handlers, [this] { return beginTransfer(); }, [this] { endTransfer(); })) {
        m_wanted.store(Reset);
        return false;
    }
    return true;
}

void RemoteStream::stop()
{
    if (m_client != nullptr)
        std::free(m_client->request(("streams/" + encodePathText(uid()) + "/stop").c_str()));
    // Also a stop made while the thread is still starting is kept.
    if (m_thread.hasRun() && m_current.load() < Returned) {
        m_wanted.store(Returned);
        m_thread.requestStop();
    }
}

void RemoteStream::markFinished()
{
    if (m_thread.hasRun())
        m_thread.requestStop();
    m_current.store(Finished);
    m_wanted.store(Reset);
}

bool RemoteStream::beginTransfer()
{
    m_current.store(Starting);
    int expected = Starting;
    if (!m_wanted.compare_exchange_strong(expected, Receiving))
        return false; // stopped before it began
    std::fflush(stderr);
    std::fflush(stdout);
    m_current.store(Receiving);
    return true;
}

void RemoteStream::endTransfer()
{
    m_current.store(Returned);
    m_wanted.store(Returned);
    m_current.store(Finished);
    m_wanted.store(Reset);
    std::fflush(stderr);
    std::fflush(stdout);
}
