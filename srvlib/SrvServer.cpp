#include "SrvServer.h"

#include "RemoteStream.h"
#include "SrvBookmark.h"
#include "SrvHttpClient.h"
#include "SrvJson.h"
#include "SrvRegistry.h"
#include "SrvSource.h"
#include "StreamFrameParser.h"

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

// Reads the array member of a list reply into new records; see requestBookmarks.
template <class Record> Record** requestRecords(SrvHttpClient* client, const char* path, int* count)
{
    if (count != nullptr)
        *count = 0;
    if (!client->hasServerKey())
        return nullptr;
    json_t* json = requestJson(client, path);
    if (json == nullptr)
        return nullptr;
    json_t* array = json_object_get(json, path);
    Record** records = nullptr;
    if (json_is_array(array)) {
        size_t size = json_array_size(array);
        records = static_cast<Record**>(std::malloc((size > 0 ? size : 1) * sizeof(Record*)));
        if (records != nullptr) {
            for (size_t i = 0; i < size; ++i) {
                json_t* element = json_array_get(array, i);
                records[i] = json_is_object(element) ? new Record(element) : nullptr;
            }
            if (count != nullptr)
                *count = int(size);
        }
    }
    json_decref(json);
    return records;
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
    m_latitude = jsonGetDouble(json, "latitude");
    m_longitude = jsonGetDouble(json, "longitude");
    m_asl = jsonGetDouble(json, "asl");
    int sources = jsonGetInt(json, "sources");
    int streams = jsonGetInt(json, "streams");
    json_decref(json);
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
    json_t* json = requestJson(m_client, "sources");
    if (json == nullptr)
        return -1;
    json_t* array = json_object_get(json, "sources");
    int size = 0;
    if (json_is_array(array)) {
        size = int(json_array_size(array));
        size_t i;
        json_t* element;
        json_array_foreach(array, i, element)
        {
            if (!json_is_object(element))
                continue;
            auto* source = new SrvSource(this, element);
            if (registerSource(source))
                m_sources[source->uid()] = source;
            else
                delete source; // a UID already known (from this or another server)
        }
    }
    json_decref(json);
    return size;
}

int SrvServer::requestStreams()
{
    json_t* json = requestJson(m_client, "streams");
    if (json == nullptr)
        return -1;
    json_t* array = json_object_get(json, "streams");
    int size = 0;
    if (json_is_array(array)) {
        size = int(json_array_size(array));
        size_t i;
        json_t* element;
        json_array_foreach(array, i, element)
        {
            if (!json_is_object(element))
                continue;
            std::string sourceUid;
            jsonGetString(element, "source", sourceUid);
            if (!hasSource(sourceUid))
                continue;
            auto* stream = new RemoteStream(this, element);
            if (!stream->isUserTemporary() && registerStream(stream))
                m_streams[stream->uid()] = stream;
            else
                delete stream;
        }
    }
    json_decref(json);
    return size;
}

SrvBookmark** SrvServer::requestBookmarks(int* count)
{
    return requestRecords<SrvBookmark>(m_client, "bookmarks", count);
}

SrvBand** SrvServer::requestBands(int* count)
{
    return requestRecords<SrvBand>(m_client, "bands", count);
}
