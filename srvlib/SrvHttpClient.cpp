#include "SrvHttpClient.h"

#include "Base64Variant.h"
#include "HttpRequest.h"
#include "MachineIdentity.h"
#include "WireText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sodium.h>
#include <vector>

namespace {

// libsodium is initialised once per process; without it nothing is sealed.
bool sodiumReady()
{
    static const bool ready = [] {
        if (sodium_init() < 0) {
            std::fprintf(stderr, "Error #NACL\n");
            return false;
        }
        return true;
    }();
    return ready;
}

std::string machineAddressText()
{
    unsigned char address[8];
    getAdapterAddress(address);
    return adapterAddressText(address);
}

char* copyToMalloc(const std::string& text)
{
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy != nullptr)
        std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

} // namespace

SrvHttpClient::SrvHttpClient(const char* host, int port)
    : m_host(strdup(host != nullptr ? host : "")), m_port(port)
{
    sodiumReady();
    std::memset(m_serverKey, 0, sizeof m_serverKey);
    m_name = std::string(m_host) + ":" + std::to_string(port);
    m_baseUrl = "http://" + m_name + "/api";
}

SrvHttpClient::~SrvHttpClient()
{
    closeSession();
    delete m_session;
    std::free(m_host);
}

bool SrvHttpClient::setServerKey(const std::string& keyText)
{
    std::string key = decodeBase64Variant(keyText);
    if (key.size() < sizeof m_serverKey || !sodiumReady()) {
        m_hasKey = false;
        return false;
    }
    std::memcpy(m_serverKey, key.data(), sizeof m_serverKey);
    m_hasKey = true;
    m_baseUrl = "http://" + m_name + "/";
    return true;
}

void SrvHttpClient::setSessionUID(const char* uid)
{
    std::lock_guard<std::mutex> lock(m_sessionMutex);
    if (m_session == nullptr)
        m_session = new SrvSession();
    m_session->setUID(uid);
}

std::string SrvHttpClient::sessionUID() const
{
    std::lock_guard<std::mutex> lock(m_sessionMutex);
    return m_session != nullptr && m_session->isValid() ? m_session->uid() : std::string();
}

bool SrvHttpClient::hasValidSession() const
{
    std::lock_guard<std::mutex> lock(m_sessionMutex);
    return m_session != nullptr && m_session->isValid();
}

char* SrvHttpClient::sealedToken(const char* path, int length)
{
    if (!m_hasKey || path == nullptr || length < 0)
        return nullptr;
    std::vector<unsigned char> box(size_t(length) + crypto_box_SEALBYTES);
    if (crypto_box_seal(box.data(), reinterpret_cast<const unsigned char*>(path), size_t(length),
                        m_serverKey) != 0) {
        std::fprintf(stderr, "SrvHttpClient::sealedToken error: sealing failed\n");
        return nullptr;
    }
    std::string body =
        "Token=" + encodeBase64Variant(reinterpret_cast<const char*>(box.data()), unsigned(box.size()));
    std::string uid = sessionUID();
    if (!uid.empty())
        body += "&UUID=" + uid;
    if (body.size() > kMaxBodyLength) {
        std::fprintf(stderr, "SrvHttpClient::sealedToken error: request of %d bytes too long for a token\n",
                     length);
        return nullptr;
    }
    return copyToMalloc(body);
}

char* SrvHttpClient::request(const char* path)
{
    if (m_hasKey) {
        char* body = sealedToken(path, int(std::strlen(path)));
        if (body == nullptr)
            return nullptr;
        char* reply = http_request(m_baseUrl.c_str(), body);
        std::free(body);
        return reply;
    }
    std::string url = m_baseUrl + "/" + path;
    if (url.size() > kMaxUrlLength) {
        std::fprintf(stderr, "SrvHttpClient::request error: URL too long [%.60s...]\n", url.c_str());
        return nullptr;
    }
    return http_request(url.c_str(), nullptr);
}

bool SrvHttpClient::fillSessionFromReply(const char* reply, size_t jsonFlags, bool clearFirst)
{
    json_t* json = json_loads(reply, jsonFlags, nullptr);
    if (json == nullptr)
        return false;
    bool filled;
    {
        std::lock_guard<std::mutex> lock(m_sessionMutex);
        if (m_session == nullptr)
            m_session = new SrvSession();
        if (clearFirst)
            m_session->clear();
        filled = m_session->fromJson(json);
    }
    json_decref(json);
    return filled;
}

bool SrvHttpClient::createSession(const char* alias)
{
    // Only a session the server gave a UID counts: a record left invalid by a
    // failed reply is filled again.
    if (m_session != nullptr && m_session->isValid())
        return true;
    std::string path = "sessions/create/" + encodePathText(machineAddressText());
    if (alias != nullptr && alias[0] != '\0')
        path += "/" + encodePathText(alias);
    char* reply = request(path.c_str());
    if (reply == nullptr)
        return false;
    // The record stays attached even when the reply has no UID (it stays invalid).
    bool filled = fillSessionFromReply(reply, JSON_DISABLE_EOF_CHECK, true);
    std::free(reply);
    return filled;
}

bool SrvHttpClient::aliasSession(const char* alias)
{
    if (m_session == nullptr)
        return createSession(alias);
    if (alias == nullptr || alias[0] == '\0')
        return false;
    std::string path = "sessions/alias/" + encodePathText(alias) + "/" + encodePathText(machineAddressText());
    char* reply = request(path.c_str());
    if (reply == nullptr)
        return false;
    bool filled = fillSessionFromReply(reply, 0, false);
    std::free(reply);
    return filled;
}

void SrvHttpClient::closeSession()
{
    if (m_session == nullptr || !m_session->isValid())
        return;
    std::free(request("sessions/close"));
}
