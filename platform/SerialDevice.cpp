#include "SerialDevice.h"

// termios2 (TCGETS2/TCSETS2 with BOTHER) sets any rate in baud; it comes from
// the kernel headers and cannot be mixed with glibc's <termios.h>, so this
// file uses the kernel's definitions only.
#include <asm/termbits.h>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace serial {

namespace {

// How long a write waits for a device that takes no byte at all.
constexpr int WriteStallLimitMs = 5000;
constexpr int WritePollStepMs = 100;

bool setModemLines(Handle handle, int lines, bool on)
{
    return ioctl(handle, on ? TIOCMBIS : TIOCMBIC, &lines) == 0;
}

} // namespace

std::string devicePathForPort(int index)
{
    std::string link = "dosdevices/com" + std::to_string(index + 1);
    struct stat info;
    if (lstat(link.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        char target[4096];
        ssize_t length = readlink(link.c_str(), target, sizeof(target) - 1);
        if (length > 0) {
            target[length] = '\0';
            // A relative target is relative to the link's own folder.
            return target[0] == '/' ? std::string(target) : "dosdevices/" + std::string(target);
        }
        return link;
    }
    return "/dev/ttyS" + std::to_string(index);
}

Handle openDevice(const std::string& path)
{
    Handle handle = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return InvalidHandle;
    // Windows opens a port for one user only; a tty in exclusive mode refuses
    // further opens, and the lock keeps a second process off the device.
    if (!isatty(handle) || ioctl(handle, TIOCEXCL) != 0) {
        close(handle);
        return InvalidHandle;
    }
    return handle;
}

bool applyLineSettings(Handle handle, int baud)
{
    if (baud <= 0)
        return false;
    struct termios2 tio;
    if (ioctl(handle, TCGETS2, &tio) != 0)
        return false;
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = static_cast<speed_t>(baud);
    tio.c_ospeed = static_cast<speed_t>(baud);
    if (ioctl(handle, TCSETS2, &tio) != 0)
        return false;
    // Pseudo-terminals have no modem lines; their refusal is not an error.
    setModemLines(handle, TIOCM_DTR | TIOCM_RTS, true);
    return true;
}

bool setReadsReturnImmediately(Handle handle)
{
    struct termios2 tio;
    if (ioctl(handle, TCGETS2, &tio) != 0)
        return false;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    return ioctl(handle, TCSETS2, &tio) == 0;
}

int readAvailable(Handle handle, void* buffer, int size)
{
    for (;;) {
        ssize_t got = read(handle, buffer, static_cast<size_t>(size));
        if (got >= 0)
            return static_cast<int>(got);
        if (errno == EINTR)
            continue;
        return errno == EAGAIN ? 0 : -1;
    }
}

int waitReadable(Handle handle, int timeoutMs)
{
    struct pollfd wait = {handle, POLLIN, 0};
    int ready = poll(&wait, 1, timeoutMs);
    if (ready < 0)
        return errno == EINTR ? 0 : -1;
    if (ready == 0)
        return 0;
    // A hang-up flushes what was buffered: nothing more will come.
    if (wait.revents & (POLLHUP | POLLERR | POLLNVAL))
        return -1;
    return 1;
}

int writeAll(Handle handle, const void* buffer, int size)
{
    const char* bytes = static_cast<const char*>(buffer);
    int written = 0;
    int stalledMs = 0;
    while (written < size) {
        ssize_t put = write(handle, bytes + written, static_cast<size_t>(size - written));
        if (put > 0) {
            written += static_cast<int>(put);
            stalledMs = 0;
            continue;
        }
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0 && errno != EAGAIN)
            break;
        if (stalledMs >= WriteStallLimitMs)
            break;
        struct pollfd wait = {handle, POLLOUT, 0};
        poll(&wait, 1, WritePollStepMs);
        stalledMs += WritePollStepMs;
    }
    return written > 0 || size == 0 ? written : -1;
}

void closeDevice(Handle handle)
{
    if (handle != InvalidHandle)
        close(handle);
}

bool modemStatus(Handle handle, unsigned* bits)
{
    int lines = 0;
    if (ioctl(handle, TIOCMGET, &lines) != 0)
        return false;
    *bits = ((lines & TIOCM_CTS) ? ModemCtsOn : 0u) | ((lines & TIOCM_DSR) ? ModemDsrOn : 0u) |
            ((lines & TIOCM_CAR) ? ModemRlsdOn : 0u);
    return true;
}

bool escapeFunction(Handle handle, Escape function)
{
    switch (function) {
    case Escape::SetRts:
        return setModemLines(handle, TIOCM_RTS, true);
    case Escape::ClearRts:
        return setModemLines(handle, TIOCM_RTS, false);
    case Escape::SetDtr:
        return setModemLines(handle, TIOCM_DTR, true);
    case Escape::ClearDtr:
        return setModemLines(handle, TIOCM_DTR, false);
    }
    return false;
}

} // namespace serial
