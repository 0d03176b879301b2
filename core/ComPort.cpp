#include "ComPort.h"

#include "platform/SerialDevice.h"

#include <atomic>
#include <cstdio>

namespace {

constexpr int PortCount = 16;

constexpr int AcceptedRates[] = {110,   300,   600,    1200,   2400,   4800,   9600,   19200,
                                 38400, 57600, 115200, 128000, 256000, 500000, 1000000};

// One descriptor per index, InvalidHandle while the index is not open. Reads
// and writes happen on the owner's thread while the GUI thread opens others.
constexpr serial::Handle Closed = serial::InvalidHandle;
std::atomic<serial::Handle> handles[PortCount] = {Closed, Closed, Closed, Closed, Closed, Closed,
                                                  Closed, Closed, Closed, Closed, Closed, Closed,
                                                  Closed, Closed, Closed, Closed};

bool isAcceptedRate(int baud)
{
    for (int rate : AcceptedRates)
        if (rate == baud)
            return true;
    return false;
}

serial::Handle handleOf(int port)
{
    if (port < 0 || port >= PortCount)
        return serial::InvalidHandle;
    return handles[port].load();
}

void say(const char* text)
{
    std::printf("%s\n", text);
    std::fflush(stdout);
}

int failOpen(int port, serial::Handle handle, const char* message)
{
    say(message);
    serial::closeDevice(handle);
    handles[port] = serial::InvalidHandle;
    return 1;
}

int modemLine(int port, unsigned bit)
{
    serial::Handle handle = handleOf(port);
    unsigned bits = 0;
    if (handle == serial::InvalidHandle || !serial::modemStatus(handle, &bits))
        return 0;
    return (bits & bit) ? 1 : 0;
}

void escape(int port, serial::Escape function)
{
    serial::Handle handle = handleOf(port);
    if (handle != serial::InvalidHandle)
        serial::escapeFunction(handle, function);
}

} // namespace

int comport_open(int port, int baud)
{
    if (port < 0 || port >= PortCount) {
        say("illegal comport number");
        return 1;
    }
    std::string device = serial::devicePathForPort(port);
    std::printf("Using [%d]=%s\n", port, device.c_str());
    if (!isAcceptedRate(baud)) {
        say("invalid baudrate");
        return 1;
    }
    // A second open would take the port from its first owner.
    if (handles[port] != serial::InvalidHandle) {
        say("unable to open comport");
        return 1;
    }
    serial::Handle handle = serial::openDevice(device);
    if (handle == serial::InvalidHandle) {
        say("unable to open comport");
        return 1;
    }
    handles[port] = handle;
    if (!serial::applyLineSettings(handle, baud))
        return failOpen(port, handle, "unable to set comport cfg settings");
    if (!serial::setReadsReturnImmediately(handle))
        return failOpen(port, handle, "unable to set comport time-out settings");
    return 0;
}

int comport_read(int port, void* buffer, int size)
{
    serial::Handle handle = handleOf(port);
    if (size <= 0 || !buffer || handle == serial::InvalidHandle)
        return 0;
    int got = serial::readAvailable(handle, buffer, size);
    return got > 0 ? got : 0;
}

int comport_wait(int port, int timeoutMs)
{
    serial::Handle handle = handleOf(port);
    if (handle == serial::InvalidHandle)
        return -1;
    return serial::waitReadable(handle, timeoutMs < 0 ? 0 : timeoutMs);
}

int comport_send_buffer(int port, const void* buffer, int size)
{
    serial::Handle handle = handleOf(port);
    if (size < 0 || (!buffer && size > 0) || handle == serial::InvalidHandle)
        return -1;
    return serial::writeAll(handle, buffer, size);
}

int comport_send_byte(int port, unsigned char byte)
{
    comport_send_buffer(port, &byte, 1);
    return 0;
}

void comport_puts(int port, const char* text)
{
    if (!text)
        return;
    for (; *text; ++text)
        comport_send_byte(port, static_cast<unsigned char>(*text));
}

void comport_close(int port)
{
    if (port < 0 || port >= PortCount)
        return;
    serial::closeDevice(handles[port].exchange(serial::InvalidHandle));
}

int comport_is_dcd(int port)
{
    return modemLine(port, serial::ModemRlsdOn);
}

int comport_is_cts(int port)
{
    return modemLine(port, serial::ModemCtsOn);
}

int comport_is_dsr(int port)
{
    return modemLine(port, serial::ModemDsrOn);
}

void comport_dtr_on(int port)
{
    escape(port, serial::Escape::SetDtr);
}

void comport_dtr_off(int port)
{
    escape(port, serial::Escape::ClearDtr);
}

void comport_rts_on(int port)
{
    escape(port, serial::Escape::SetRts);
}

void comport_rts_off(int port)
{
    escape(port, serial::Escape::ClearRts);
}
