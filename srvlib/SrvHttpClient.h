#pragma once

#include "SrvSession.h"

#include <mutex>
#include <string>

// Client side of one remote receiver server reached over plain HTTP. Makes one
// API request at a time and returns the reply body. Once the server's public
// key is known every request path travels inside a sealed token POSTed to the
// server's root; without it the path is a GET below "/api".
//
// Requests are made on the caller's thread. The streaming threads read the base
// URL and key (set before they start) and call sealedToken, which copies the
// session UID under a lock because the caller's thread may rewrite it.
class SrvHttpClient
{
public:
    // A sealed POST body holds at most this many characters, a GET URL at most
    // kMaxUrlLength: longer requests are refused, never sent cut.
    static const size_t kMaxBodyLength = 1023;
    static const size_t kMaxUrlLength = 254;

    SrvHttpClient(const char* host, int port);
    ~SrvHttpClient();
    SrvHttpClient(const SrvHttpClient&) = delete;
    SrvHttpClient& operator=(const SrvHttpClient&) = delete;

    // Accepts a key text that decodes to at least 32 bytes (the first 32 are the
    // server's X25519 public key) and switches to the sealed form.
    bool setServerKey(const std::string& keyText);
    bool hasServerKey() const { return m_hasKey; }

    void setSessionUID(const char* uid);
    SrvSession* session() { return m_session; }
    // The session UID for another thread; empty without a valid session.
    std::string sessionUID() const;
    // A session record exists and holds a UID.
    bool hasValidSession() const;

    const std::string& baseUrl() const { return m_baseUrl; }
    const char* host() const { return m_host; }
    int port() const { return m_port; }
    const std::string& name() const { return m_name; }

    // The malloc'd POST body "Token=...[&UUID=...]" sealing length bytes of
    // path, or null without a key, when sealing fails or when it is too long.
    char* sealedToken(const char* path, int length);

    // One API request; the malloc'd reply body or null (caller frees).
    char* request(const char* path);

    bool createSession(const char* alias);
    bool aliasSession(const char* alias);
    void closeSession();

private:
    // Parses a session reply into the record (created when absent); false when
    // the reply is not JSON or has no string "UID".
    bool fillSessionFromReply(const char* reply, size_t jsonFlags, bool clearFirst);

    unsigned char m_serverKey[32];
    bool m_hasKey = false;
    char* m_host;
    int m_port;
    std::string m_name;
    std::string m_baseUrl;
    SrvSession* m_session = nullptr;
    mutable std::mutex m_sessionMutex;
};
