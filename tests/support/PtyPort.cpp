#include "PtyPort.h"
#include "WaitFor.h"

#include <QDir>
// posix_openpt rather than openpty: <pty.h> brings glibc's termios, which
// cannot live beside the kernel's termios2 used by baud().
#include <asm/termbits.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

PtyPort::PtyPort(int port)
{
    m_far = posix_openpt(O_RDWR | O_NOCTTY);
    char name[256];
    if (m_far < 0 || grantpt(m_far) != 0 || unlockpt(m_far) != 0 || ptsname_r(m_far, name, sizeof(name)) != 0)
        return;
    // The far end answers at once and must not turn bytes around.
    fcntl(m_far, F_SETFL, fcntl(m_far, F_GETFL) | O_NONBLOCK);
    QDir().mkpath("dosdevices");
    std::string link = "dosdevices/com" + std::to_string(port + 1);
    m_deviceName = name;
    m_ok = symlink(name, link.c_str()) == 0;
}

PtyPort::~PtyPort()
{
    hangUp();
}

int PtyPort::deviceDescriptorInUse() const
{
    for (int fd = 0; fd < 1024; ++fd) {
        char target[256];
        std::string path = "/proc/self/fd/" + std::to_string(fd);
        ssize_t n = readlink(path.c_str(), target, sizeof(target) - 1);
        if (n > 0 && std::string(target, static_cast<size_t>(n)) == m_deviceName)
            return fd;
    }
    return -1;
}

unsigned PtyPort::baud() const
{
    struct termios2 tio
    {
    };
    if (ioctl(m_far, TCGETS2, &tio) != 0)
        return 0;
    return tio.c_ospeed;
}

void PtyPort::send(const std::vector<unsigned char>& bytes) const
{
    ASSERT_EQ(::write(m_far, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

void PtyPort::sendText(const std::string& text) const
{
    send(std::vector<unsigned char>(text.begin(), text.end()));
}

std::vector<unsigned char> PtyPort::receive(size_t count) const
{
    std::vector<unsigned char> got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitBoundMs);
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
        struct pollfd wait = {m_far, POLLIN, 0};
        if (poll(&wait, 1, 50) <= 0)
            continue;
        unsigned char buffer[512];
        ssize_t n = ::read(m_far, buffer, sizeof(buffer));
        if (n > 0)
            got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

std::string PtyPort::readNow() const
{
    std::string got;
    char buffer[512];
    ssize_t n;
    while ((n = ::read(m_far, buffer, sizeof(buffer))) > 0)
        got.append(buffer, static_cast<size_t>(n));
    return got;
}

void PtyPort::hangUp()
{
    if (m_far >= 0)
        ::close(m_far);
    m_far = -1;
}
