#pragma once

#include <string>
#include <vector>

// A pseudo-terminal pair whose device end is serial port index `port` through
// the working directory's "dosdevices/com<port+1>" link (make it inside a
// TempWorkDir); the test drives the other, far end.
class PtyPort
{
public:
    explicit PtyPort(int port);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    bool ok() const { return m_ok; }

    // The descriptor through which this process holds the device end, or -1.
    int deviceDescriptorInUse() const;

    // The rate the device end was set to, as the terminal holds it.
    unsigned baud() const;

    // Writes every byte into the far end (a test failure when it cannot).
    void send(const std::vector<unsigned char>& bytes) const;
    void sendText(const std::string& text) const;

    // Up to count bytes, waiting for them up to the common wait bound.
    std::vector<unsigned char> receive(size_t count) const;
    // What has arrived so far, without waiting (for tests that serve events meanwhile).
    std::string readNow() const;

    // Closes the far end: the device end hangs up, as an unplugged device does.
    void hangUp();

private:
    int m_far = -1;
    std::string m_deviceName;
    bool m_ok = false;
};
