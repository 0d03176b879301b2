#pragma once

#include "StreamThread.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

class SrvHttpClient;
class SrvSession;
class SrvSource;
class RemoteStream;
class VantorCBHandler;
struct SrvBookmark;
struct SrvBand;

// What the client knows of one remote receiver server: its identity and
// position, the sources and streams it registered, its bookmarks and band
// plan, and its session channel (the session stream and the messages and
// spots sent to other users). Requests go through the client and run on the
// caller's thread; the session stream has a thread of its own.
class SrvServer
{
public:
    explicit SrvServer(SrvHttpClient* client);
    SrvServer(const char* host, int port);
    // Clears the handler, stops and joins the session stream, then frees its
    // own maps (not the registered objects). The client stays.
    ~SrvServer();
    SrvServer(const SrvServer&) = delete;
    SrvServer& operator=(const SrvServer&) = delete;

    bool connect(const char* alias);
    // -1 without the key or on failure, else the size of the reply's array.
    int requestSources();
    int requestStreams();
    // malloc'd arrays of new records (the caller frees the array and deletes
    // the records); null, with the count 0, on failure or without the key.
    SrvBookmark** requestBookmarks(int* count);
    SrvBand** requestBands(int* count);
    // Renames the session, or creates one when there is none and the key is known.
    bool openSession(const char* alias);

    SrvHttpClient* client() const { return m_client; }
    SrvSession* session() const { return m_session; }
    const std::string& label() const { return m_label; }
    const std::string& serverName() const { return m_serverName; }
    double latitude() const { return m_latitude; }
    double longitude() const { return m_longitude; }
    double asl() const { return m_asl; }
    const std::map<std::string, SrvSource*>& ownSources() const { return m_sources; }
    const std::map<std::string, RemoteStream*>& ownStreams() const { return m_streams; }
    // The own stream with the smallest UID, or null when there is none.
    RemoteStream* firstStream() const;
    // The first own stream (in UID order) with that name, or null.
    RemoteStream* streamByName(const std::string& name) const;

    // Session channel.
    void setHandler(VantorCBHandler* handler);
    void startSessionStream();
    bool isSessionStreamRunning() const { return m_sessionRunning.load(); }
    void markClosing();
    // Stops the session stream and waits for its thread (bounded: the
    // transfer sees the stop at least about once a second).
    void stopSessionStream();
    // One complete frame of the session stream; always 1, so the stream goes on.
    int dispatchMessage(int32_t type, const char* payload, size_t length);
    // False when the request was refused (too long) or got no reply.
    bool sendMessage(const char* recipient, const char* message);
    bool sendSpot(const char* name, int64_t frequencyHz);

private:
    void sessionStreamEnded();
    static int sessionFrame(int32_t type, const char* payload, size_t length, void* self);

    SrvHttpClient* m_client;
    std::unique_ptr<SrvHttpClient> m_ownClient;
    std::string m_label;
    std::string m_host;
    int m_port;
    std::string m_serverName;
    SrvSession* m_session = nullptr;
    double m_latitude = 0.0, m_longitude = 0.0, m_asl = 0.0;
    std::map<std::string, SrvSource*> m_sources;
    std::map<std::string, RemoteStream*> m_streams;

    std::atomic<VantorCBHandler*> m_handler{nullptr};
    std::atomic<bool> m_sessionRunning{false};
    std::atomic<bool> m_closeRequested{false};
    StreamThread m_sessionThread{"srvstream_thread"}; // last: stopped before the members it uses go
};
