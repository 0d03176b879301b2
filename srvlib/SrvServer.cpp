#include "SrvServer.h"

#include "RemoteStream.h"
#include "SrvBookmark.h"
#include "SrvHttpClient.h"
#include "SrvJson.h"
#include "SrvRegistry.h"
#include "SrvSource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The parsed reply of a request, or null when there is none or it is not JSON.
json_t* requestJson(SrvHttpClient* client, const char* path)
{
    char* reply = client->request(path);
    if (reply == nullptr)
        return nullptr;
    json_t* json = json_loads(reply, 0, nullptr);
    std::free(reply);
    return json;
}

// The reply to a list request ("sources", "streams", "bookmarks", "bands"):
// an object whose member of the same name is the array of listed objects.
class ListReply
{
public:
    ListReply(SrvHttpClient* client, const char* path) : m_json(requestJson(client, path))
    {
        json_t* array = json_object_get(m_json, path);
        m_array = json_is_array(array) ? array : nullptr;
    }
    ~ListReply() { json_decref(m_json); }
    ListReply(const ListReply&) = delete;
    ListReply& operator=(const ListReply&) = delete;

    // A JSON reply came.
    bool received() const { return m_json != nullptr; }
    bool hasArray() const { return m_array != nullptr; }
    // The number of array elements, objects or not; 0 without an array.
    size_t size() const { return m_array != nullptr ? json_array_size(m_array) : 0; }
    // Calls take(index, object) for each element that is an object.
    template <class Take> void forEachObject(Take take) const
    {
        for (size_t i = 0; i < size(); ++i) {
            json_t* element = json_array_get(m_array, i);
            if (json_is_object(element))
                take(i, element);
        }
    }

private:
    json_t* m_json;
    json_t* m_array = nullptr;
};

// Reads a list reply into new records; see requestBookmarks.
template <class Record> Record** requestRecords(SrvHttpClient* client, const char* path, int* count)
{
    if (count != nullptr)
        *count = 0;
    if (!client->hasServerKey())
        return nullptr;
    ListReply reply(client, path);
    if (!reply.hasArray())
        return nullptr;
    const size_t size = reply.size();
    auto** records = static_cast<Record**>(std::calloc(size > 0 ? size : 1, sizeof(Record*)));
    if (records == nullptr)
        return nullptr;
    reply.forEachObject([&](size_t i, json_t* element) { records[i] = new Record(element); });
    if (count != nullptr)
        *count = int(size);
    return records;
}

// A position member, or 0 ("unknown") when it is outside [-limit, limit].
double jsonGetDegrees(json_t* object, const char* key, double limit)
{
    double degrees = jsonGetDouble(object, key);
    return degrees >= -limit && degrees <= limit ? degrees : 0.0;
}

} // namespace

SrvServer::SrvServer(SrvHttpClient* client)
    : m_client(client), m_label(client->name()), m_host(client->host()), m_port(client->port())
{
}

SrvServer::SrvServer(const char* host, int port) : SrvServer(new SrvHttpClient(host, port))
{
    m_ownClient.reset(m_client);
}

SrvServer::~SrvServer()
{
    m_handler.store(nullptr); // no callback reaches a dying receiver
    stopSessionStream();
}

bool SrvServer::connect(const char* alias)
{
    if (!m_client->hasServerKey()) {
        requestSources();
        return requestStreams() > 0;
    }
    json_t* json = requestJson(m_client, "server");
    if (json == nullptr)
        return false;
    jsonGetString(json, "UID", m_label);
    jsonGetString(json, "name", m_serverName);
    m_latitude = jsonGetDegrees(json, "latitude", 90);
    m_longitude = jsonGetDegrees(json, "longitude", 180);
    m_asl = jsonGetDouble(json, "asl");
    // Added in 64 bits: two counts near the int limit must not overflow.
    const int64_t sources = jsonGetInt(json, "sources");
    const int64_t streams = jsonGetInt(json, "streams");
    json_decref(json);
    if (sources < 0 || streams < 0) {
        std::fprintf(stderr, "SrvServer::connect() error: the server counts %lld sources and %lld streams\n",
                     static_cast<long long>(sources), static_cast<long long>(streams));
        return false;
    }
    if (sources + streams == 0)
        return true;

    m_session = m_client->session();
    if (m_session != nullptr && m_session->alias()[0] == '\0') {
        if (!m_client->aliasSession(alias))
            return false;
        m_session = m_client->session();
    } else if (m_session == nullptr && alias != nullptr) {
        if (!m_client->createSession(alias))
            return false;
        m_session = m_client->session();
    }
    requestSources();
    requestStreams();
    return true;
}

bool SrvServer::openSession(const char* alias)
{
    if (m_client->session() != nullptr)
        m_client->aliasSession(alias);
    else if (m_client->hasServerKey())
        m_client->createSession(alias);
    m_session = m_client->session();
    return m_session != nullptr && m_session->isValid();
}

int SrvServer::requestSources()
{
    if (!m_client->hasServerKey())
        return -1;
    ListReply reply(m_client, "sources");
    if (!reply.received())
        return -1;
    reply.forEachObject([this](size_t, json_t* element) {
        auto* source = new SrvSource(this, element);
        if (registerSource(source))
            m_sources[source->uid()] = source;
        else
            delete source; // a UID already known (from this or another server)
    });
    return int(reply.size());
}

int SrvServer::requestStreams()
{
    ListReply reply(m_client, "streams");
    if (!reply.received())
        return -1;
    reply.forEachObject([this](size_t, json_t* element) {
        std::string sourceUid;
        jsonGetString(element, "source", sourceUid);
        if (!hasSource(sourceUid))
            return;
        auto* stream = new RemoteStream(this, element);
        if (!stream->isUserTemporary() && registerStream(stream))
            m_streams[stream->uid()] = stream;
        else
            delete stream;
    });
    return int(reply.size());
}

RemoteStream* SrvServer::firstStream() const
{
    return m_streams.empty() ? nullptr : m_streams.begin()->second;
}

RemoteStream* SrvServer::streamByName(const std::string& name) const
{
    for (const auto& entry : m_streams)
        if (entry.second->name() == name)
            return entry.second;
    return nullptr;
}

SrvBookmark** SrvServer::requestBookmarks(int* count)
{
    return requestRecords<SrvBookmark>(m_client, "bookmarks", count);
}

SrvBand** SrvServer::requestBands(int* count)
{
    return requestRecords<SrvBand>(m_client, "bands", count);
}
