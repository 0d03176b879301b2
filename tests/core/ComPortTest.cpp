#include "core/ComPort.h"
#include "PtyPort.h"
#include "TempWorkDir.h"

#include <QDir>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

namespace {

// Every byte value, so that any echo, line-end mapping or flow control shows.
std::vector<unsigned char> allByteValues()
{
    std::vector<unsigned char> bytes(256);
    for (int i = 0; i < 256; ++i)
        bytes[i] = static_cast<unsigned char>(i);
    return bytes;
}

// Reads through the port until count bytes came (or, when they never do, for
// a bound no working port comes near).
std::vector<unsigned char> readPort(int port, size_t count)
{
    std::vector<unsigned char> got;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
        unsigned char buffer[100];
        int n = comport_read(port, buffer, sizeof(buffer));
        if (n > 0)
            got.insert(got.end(), buffer, buffer + n);
        else
            usleep(5000);
    }
    return got;
}

int openQuietly(int port, int baud)
{
    CaptureStdout();
    int result = comport_open(port, baud);
    GetCapturedStdout();
    return result;
}

} // namespace

class ComPortRoundTrip : public testing::TestWithParam<int>
{
};

TEST_P(ComPortRoundTrip, BytesPassUnchangedBothWays)
{
    TempWorkDir dir;
    PtyPort pty(2);
    ASSERT_TRUE(pty.ok());
    int baud = GetParam();
    ASSERT_EQ(openQuietly(2, baud), 0);
    EXPECT_EQ(pty.baud(), static_cast<unsigned>(baud));

    unsigned char nothing[8];
    EXPECT_EQ(comport_read(2, nothing, sizeof(nothing)), 0) << "a read with nothing received returns at once";

    std::vector<unsigned char> bytes = allByteValues();
    EXPECT_EQ(comport_send_buffer(2, bytes.data(), static_cast<int>(bytes.size())), 256);
    EXPECT_EQ(pty.receive(bytes.size()), bytes);

    pty.send(bytes);
    EXPECT_EQ(readPort(2, bytes.size()), bytes);

    comport_puts(2, "$GPGGA\r\n");
    EXPECT_EQ(comport_send_byte(2, '!'), 0);
    std::vector<unsigned char> text = pty.receive(9);
    EXPECT_EQ(std::string(text.begin(), text.end()), "$GPGGA\r\n!");
    comport_close(2);
}

INSTANTIATE_TEST_SUITE_P(Rates, ComPortRoundTrip, testing::Values(9600, 128000));

TEST(ComPort, EveryAcceptedRateReachesTheDevice)
{
    TempWorkDir dir;
    PtyPort pty(0);
    ASSERT_TRUE(pty.ok());
    for (int baud : {110, 300, 600, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 128000, 256000,
                     500000, 1000000}) {
        ASSERT_EQ(openQuietly(0, baud), 0) << baud;
        EXPECT_EQ(pty.baud(), static_cast<unsigned>(baud));
        comport_close(0);
    }
}

TEST(ComPort, RefusedOpensSayWhy)
{
    TempWorkDir dir;
    QDir().mkpath("dosdevices");
    ASSERT_EQ(symlink("/nonexistent/tty", "dosdevices/com2"), 0);
    struct Case
    {
        int port;
        int baud;
        std::string output;
    };
    const Case cases[] = {
        {16, 9600, "illegal comport number\n"},
        {-1, 9600, "illegal comport number\n"},
        {0, 14400, "Using [0]=/dev/ttyS0\ninvalid baudrate\n"},
        {0, 230400, "Using [0]=/dev/ttyS0\ninvalid baudrate\n"},
        {1, 9600, "Using [1]=/nonexistent/tty\nunable to open comport\n"},
    };
    for (const Case& c : cases) {
        CaptureStdout();
        EXPECT_EQ(comport_open(c.port, c.baud), 1);
        EXPECT_EQ(GetCapturedStdout(), c.output) << c.port << " " << c.baud;
        unsigned char byte = 0;
        EXPECT_EQ(comport_send_buffer(c.port, &byte, 1), -1) << "nothing was opened";
    }
}

TEST(ComPort, IndexOutOfRangeFailsEverywhere)
{
    for (int port : {-1, 16, 1000, -1000}) {
        unsigned char buffer[4] = {};
        EXPECT_EQ(comport_read(port, buffer, 4), 0);
        EXPECT_EQ(comport_send_buffer(port, buffer, 4), -1);
        EXPECT_EQ(comport_send_byte(port, 'x'), 0);
        comport_puts(port, "text");
        EXPECT_EQ(comport_is_dcd(port), 0);
        EXPECT_EQ(comport_is_cts(port), 0);
        EXPECT_EQ(comport_is_dsr(port), 0);
        comport_dtr_on(port);
        comport_dtr_off(port);
        comport_rts_on(port);
        comport_rts_off(port);
        comport_close(port);
    }
}

TEST(ComPort, ReadWithoutRoomOrBufferTakesNothing)
{
    TempWorkDir dir;
    PtyPort pty(3);
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(openQuietly(3, 4800), 0);
    pty.send({'a', 'b'});
    // The bytes have reached the port's side before the empty reads.
    pollfd readable{pty.deviceDescriptorInUse(), POLLIN, 0};
    ASSERT_EQ(poll(&readable, 1, 20000), 1);
    unsigned char buffer[4];
    EXPECT_EQ(comport_read(3, buffer, 0), 0);
    EXPECT_EQ(comport_read(3, nullptr, 4), 0);
    EXPECT_EQ(readPort(3, 2), (std::vector<unsigned char>{'a', 'b'})) << "the bytes are still there";
    comport_close(3);
}

TEST(ComPort, ClosedIndexHoldsNoStaleDescriptor)
{
    TempWorkDir dir;
    PtyPort pty(4);
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(openQuietly(4, 9600), 0);
    int portDescriptor = pty.deviceDescriptorInUse();
    ASSERT_GE(portDescriptor, 0);
    comport_close(4);
    EXPECT_EQ(pty.deviceDescriptorInUse(), -1) << "the close left the device open";

    // Another file takes the descriptor number the port had.
    int unrelated = ::open("unrelated", O_RDWR | O_CREAT, 0600);
    ASSERT_GE(unrelated, 0);
    if (unrelated != portDescriptor) {
        ASSERT_EQ(dup2(unrelated, portDescriptor), portDescriptor);
        ::close(unrelated);
        unrelated = portDescriptor;
    }
    unsigned char bytes[3] = {'x', 'y', 'z'};
    EXPECT_EQ(comport_send_buffer(4, bytes, 3), -1);
    comport_puts(4, "abc");
    EXPECT_EQ(comport_read(4, bytes, 3), 0);
    EXPECT_EQ(lseek(unrelated, 0, SEEK_END), 0) << "a write on the closed index reached another file";
    ::close(unrelated);
    comport_close(4);
}

TEST(ComPort, SecondOpenOfAnOpenIndexLeavesTheFirstOwnerWorking)
{
    TempWorkDir dir;
    PtyPort pty(5);
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(openQuietly(5, 4800), 0);
    CaptureStdout();
    EXPECT_EQ(comport_open(5, 38400), 1);
    EXPECT_NE(GetCapturedStdout().find("unable to open comport"), std::string::npos);

    unsigned char bytes[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(comport_send_buffer(5, bytes, 10), 10);
    EXPECT_EQ(pty.receive(10).size(), 10u);
    EXPECT_EQ(pty.baud(), 4800u) << "the refused open changed the line";
    comport_close(5);
}

TEST(ComPort, ModemLinesOfAPseudoTerminalReadAsOff)
{
    // Pseudo-terminals have no modem lines: the state cannot be read.
    TempWorkDir dir;
    PtyPort pty(6);
    ASSERT_TRUE(pty.ok());
    ASSERT_EQ(openQuietly(6, 9600), 0);
    comport_dtr_off(6);
    comport_rts_on(6);
    EXPECT_EQ(comport_is_cts(6), 0);
    EXPECT_EQ(comport_is_dsr(6), 0);
    EXPECT_EQ(comport_is_dcd(6), 0);
    comport_close(6);
}

TEST(ComPort, WaitTellsBytesFromSilenceAndFromAVanishedDevice)
{
    TempWorkDir dir;
    PtyPort pty(7);
    ASSERT_TRUE(pty.ok());
    EXPECT_EQ(comport_wait(7, 0), -1) << "an index that is not open";
    ASSERT_EQ(openQuietly(7, 4800), 0);
    EXPECT_EQ(comport_wait(7, 20), 0) << "nothing was sent";
    pty.sendText("$");
    EXPECT_EQ(comport_wait(7, 5000), 1);
    EXPECT_EQ(readPort(7, 1), std::vector<unsigned char>{'$'});
    pty.hangUp();
    EXPECT_EQ(comport_wait(7, 5000), -1) << "the device went away";
    comport_close(7);
    EXPECT_EQ(comport_wait(16, 0), -1);
}
