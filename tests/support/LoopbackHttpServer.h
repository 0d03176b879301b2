#pragma once

#include "HttpWire.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// A plain HTTP server on 127.0.0.1 for the program's web clients (tiles, the
// version file, the schedule service): answers each path from a script and logs
// what it was asked. Served from its own threads, so tests may block the GUI
// thread while a request is in flight.
class LoopbackHttpServer
{
public:
    struct Reply
    {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "text/plain";
        // Further header lines, each ending in "\r\n" ("Location: /x\r\n").
        QByteArray extraHeaders;
        int delayMs = 0;
        // Never answers: the connection stays open until the server goes.
        bool hang = false;
    };
    struct Request
    {
        std::string method;
        std::string target;                         // path and query as sent
        std::map<std::string, std::string> headers; // names in lower case
    };

    LoopbackHttpServer();
    // Releases hanging requests and joins every thread.
    ~LoopbackHttpServer();

    int port() const { return m_listener.port(); }
    // "http://127.0.0.1:<port>" followed by path.
    QString url(const QString& path = QString()) const;

    // Answers a target: an exact path (the query is ignored unless the pattern
    // has one) or a prefix ending in "*". Unscripted targets get 404.
    void setReply(const std::string& pattern, const Reply& reply);
    // Answers a target by a function, called on a server thread.
    void setHandler(const std::string& pattern, std::function<Reply(const Request&)> handler);

    std::vector<Request> requests() const;
    // Requests whose target (without query unless given) is this one.
    int count(const std::string& target) const;
    bool waitForCount(const std::string& target, int atLeast, int timeoutMs) const;

private:
    void serve(int fd);
    std::function<Reply(const Request&)> find(const std::string& target) const;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::atomic<bool> m_closing{false};
    std::vector<std::pair<std::string, std::function<Reply(const Request&)>>> m_routes;
    std::vector<Request> m_log;
    // Last: its threads stop before the members they use go.
    httpwire::LoopbackListener m_listener;
};
