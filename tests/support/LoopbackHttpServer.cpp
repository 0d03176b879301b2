#include "LoopbackHttpServer.h"
#include "WaitFor.h"

#include <chrono>
#include <unistd.h>

namespace {

// How long a connected client may take to send its request.
const int kRequestTimeoutMs = kWaitBoundMs;

bool matches(const std::string& pattern, const std::string& target)
{
    if (!pattern.empty() && pattern.back() == '*')
        return target.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
    if (pattern.find('?') != std::string::npos)
        return pattern == target;
    return pattern == target.substr(0, target.find('?'));
}

} // namespace

LoopbackHttpServer::LoopbackHttpServer() : m_listener([this](int fd) { serve(fd); }) {}

LoopbackHttpServer::~LoopbackHttpServer()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closing.store(true);
    }
    m_changed.notify_all();
    m_listener.stop();
}

QString LoopbackHttpServer::url(const QString& path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void LoopbackHttpServer::setReply(const std::string& pattern, const Reply& reply)
{
    setHandler(pattern, [reply](const Request&) { return reply; });
}

void LoopbackHttpServer::setHandler(const std::string& pattern, std::function<Reply(const Request&)> handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto& route : m_routes) {
        if (route.first == pattern) {
            route.second = std::move(handler);
            return;
        }
    }
    m_routes.emplace_back(pattern, std::move(handler));
}

std::vector<LoopbackHttpServer::Request> LoopbackHttpServer::requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_log;
}

int LoopbackHttpServer::count(const std::string& target) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    int n = 0;
    for (const Request& request : m_log)
        n += matches(target, request.target) ? 1 : 0;
    return n;
}

bool LoopbackHttpServer::waitForCount(const std::string& target, int atLeast, int timeoutMs) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (count(target) < atLeast) {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_changed.wait_until(lock, deadline) == std::cv_status::timeout)
            break;
    }
    return count(target) >= atLeast;
}

std::function<LoopbackHttpServer::Reply(const LoopbackHttpServer::Request&)>
LoopbackHttpServer::find(const std::string& target) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // The latest matching route wins, so a test can narrow a broad one.
    for (auto it = m_routes.rbegin(); it != m_routes.rend(); ++it) {
        if (matches(it->first, target))
            return it->second;
    }
    return nullptr;
}

void LoopbackHttpServer::serve(int fd)
{
    httpwire::HttpRequestText text;
    if (!httpwire::readHttpRequest(fd, kRequestTimeoutMs, m_listener.stopping(), text)) {
        close(fd);
        return;
    }
    const Request request{text.method, text.target, text.headers};
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_log.push_back(request);
    }
    m_changed.notify_all();

    const auto handler = find(request.target);
    Reply reply;
    if (handler)
        reply = handler(request);
    else
        reply.status = 404;
    if (reply.hang || reply.delayMs > 0) {
        std::unique_lock<std::mutex> lock(m_mutex);
        const auto closing = [this] { return m_closing.load(); };
        if (reply.hang)
            m_changed.wait(lock, closing);
        else
            m_changed.wait_for(lock, std::chrono::milliseconds(reply.delayMs), closing);
    }
    if (!reply.hang && !m_closing.load()) {
        const std::string head = httpwire::responseHead(
            reply.status, "Content-Type: " + reply.contentType.toStdString() + "\r\nContent-Length: " +
                              std::to_string(reply.body.size()) + "\r\n" + reply.extraHeaders.toStdString());
        httpwire::writeAll(fd, head + reply.body.toStdString());
    }
    close(fd);
}
