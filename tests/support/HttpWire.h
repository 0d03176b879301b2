#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The HTTP/1.1 wire of the test servers on 127.0.0.1 (the fake remote receiver
// server, the loopback HTTP server): one request per connection.
namespace httpwire {

// One HTTP request as read from a connection.
struct HttpRequestText
{
    std::string method;
    std::string target;
    std::string body;
    std::map<std::string, std::string> headers; // names in lower case, values trimmed
    std::string userAgentLine;                  // the whole "User-Agent" line as received
};

// Reads one request (headers and a Content-Length body) within timeoutMs;
// answers "Expect: 100-continue". False on a broken, oversized or slow request
// or when stop becomes true.
bool readHttpRequest(int fd, int timeoutMs, const std::atomic<bool>& stop, HttpRequestText& request);

// Writes all bytes; false when the peer is gone.
bool writeAll(int fd, const std::string& bytes);

// "HTTP/1.1 <status> <reason>" with the given extra lines, ready for a body.
std::string responseHead(int status, const std::string& extraHeaderLines);

// True when the peer has closed its side (checked without blocking).
bool peerClosed(int fd);

// Listens on 127.0.0.1 on a free port and serves each connection on a thread
// of its own; serve() owns the descriptor and closes it.
class LoopbackListener
{
public:
    // Throws std::runtime_error when it cannot listen.
    explicit LoopbackListener(std::function<void(int fd)> serve);
    ~LoopbackListener() { stop(); }
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    int port() const { return m_port; }
    // True once stop() began: serve() functions end their waits on it.
    const std::atomic<bool>& stopping() const { return m_stopping; }
    // Stops accepting and joins every connection thread. Idempotent.
    void stop();

private:
    void acceptLoop();

    std::function<void(int)> m_serve;
    int m_listenFd = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::thread m_acceptThread;
    std::mutex m_mutex;
    std::vector<std::thread> m_connections;
};

} // namespace httpwire
