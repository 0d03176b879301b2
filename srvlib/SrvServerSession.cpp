// The session channel of a server: the session stream's thread, the dispatch
// of session messages to the handler, and the messages and spots sent.
#include "SrvServer.h"

#include "Base64Variant.h"
#include "SrvHttpClient.h"
#include "SrvJson.h"
#include "VantorCBHandler.h"
#include "WireText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jansson.h>

namespace {

const int32_t kSessionMessageType = 9;
// Session paths were written into a 1024-byte buffer: longer ones are refused.
const size_t kMaxSessionPathLength = 1023;

bool requestSessionPath(SrvHttpClient* client, const std::string& path)
{
    if (path.size() > kMaxSessionPathLength) {
        std::fprintf(stderr, "SrvServer error: request of %zu characters refused as too long\n", path.size());
        return false;
    }
    char* reply = client->request(path.c_str());
    std::free(reply);
    return reply != nullptr;
}

} // namespace

void SrvServer::setHandler(VantorCBHandler* handler)
{
    m_handler.store(handler);
    if (m_session != nullptr && !m_sessionRunning.load())
        startSessionStream();
}

void SrvServer::startSessionStream()
{
    if (m_sessionThread.isStreamThread()) {
        std::fprintf(stderr, "SrvServer::startSessionStream error: called from the session stream itself\n");
        return;
    }
    m_sessionThread.stopAndJoin();
    StreamHandlers handlers;
    handlers.session = &SrvServer::sessionFrame;
    handlers.sessionUser = this;
    m_closeRequested.store(false);
    m_sessionRunning.store(true);
    StreamThread::Transfer transfer{m_client, "sessions/datas", true, StreamKind::Session};
    if (!m_sessionThread.start(transfer, handlers, nullptr, [this] { sessionStreamEnded(); }))
        m_sessionRunning.store(false);
}

void SrvServer::stopSessionStream()
{
    m_sessionThread.stopAndJoin();
}

void SrvServer::markClosing()
{
    m_closeRequested.store(true);
    m_sessionThread.requestStop();
}

int SrvServer::sessionFrame(int32_t type, const char* payload, size_t length, void* self)
{
    return static_cast<SrvServer*>(self)->dispatchMessage(type, payload, length);
}

void SrvServer::sessionStreamEnded()
{
    m_sessionRunning.store(false);
    VantorCBHandler* handler = m_handler.load();
    if (handler == nullptr)
        return;
    if (m_closeRequested.load())
        handler->linkClosed();
    else
        handler->linkLost();
}

int SrvServer::dispatchMessage(int32_t type, const char* payload, size_t length)
{
    if (type != kSessionMessageType)
        return 1;
    json_t* json = json_loadb(payload, length, 0, nullptr);
    if (json == nullptr) {
        std::printf("json not valid : %.*s\n", int(length), payload);
        return 1;
    }
    std::string ctype;
    jsonGetString(json, "Ctype", ctype);
    VantorCBHandler* handler = m_handler.load();
    if (ctype == "TextMessage") {
        std::string from, msg;
        jsonGetString(json, "from", from);
        jsonGetString(json, "msg", msg);
        // The handler sees the decoded text up to its first NUL.
        std::string text = decodeBase64Variant(msg);
        if (handler != nullptr)
            handler->txtMsg(from.c_str(), text.c_str());
    } else if (ctype == "SpotInfo") {
        std::string name;
        jsonGetString(json, "name", name);
        if (handler != nullptr)
            handler->spot(name.c_str(), jsonGetDouble(json, "latitude"), jsonGetDouble(json, "longitude"),
                          jsonGetDouble(json, "frequencyMHZ"), jsonGetInt(json, "lifeTimeMinutes"));
    } else if (ctype == "IndicatorValue") {
        std::string name, unit;
        jsonGetString(json, "indicator_name", name);
        jsonGetString(json, "indicator_unit", unit);
        if (handler != nullptr)
            handler->updateIndicator(name.c_str(), unit.c_str(), jsonGetDouble(json, "value"));
    } else if (ctype != "AliveMessage") {
        std::printf("CType=%s\n", ctype.c_str());
    }
    json_decref(json);
    return 1;
}

bool SrvServer::sendMessage(const char* recipient, const char* message)
{
    const char* text = message != nullptr ? message : "";
    std::string path = "sessions/msg/" + encodePathText(recipient != nullptr ? recipient : "") + "/" +
                       encodeBase64Variant(text, unsigned(std::strlen(text)));
    return requestSessionPath(m_client, path);
}

bool SrvServer::sendSpot(const char* name, int64_t frequencyHz)
{
    std::string path = "sessions/spot/" + encodePathText(name != nullptr ? name : "") + "/" +
                       formatFixed(double(frequencyHz) / 1e6, 3);
    return requestSessionPath(m_client, path);
}
