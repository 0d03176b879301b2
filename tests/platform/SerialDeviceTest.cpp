#include "platform/SerialDevice.h"
#include "TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

TEST(SerialDevice, PortIndexNamesTheDosdevicesLinkTargetElseTheTtyS)
{
    TempWorkDir dir;
    QDir().mkdir("dosdevices");
    ASSERT_EQ(symlink("/dev/ttyUSB0", "dosdevices/com1"), 0);
    ASSERT_EQ(symlink("../gps", "dosdevices/com16"), 0);

    EXPECT_EQ(serial::devicePathForPort(0), "/dev/ttyUSB0");
    // A relative target lies beside the link.
    EXPECT_EQ(serial::devicePathForPort(15), "dosdevices/../gps");
    EXPECT_EQ(serial::devicePathForPort(1), "/dev/ttyS1");
}

TEST(SerialDevice, OnlyTerminalsOpen)
{
    TempWorkDir dir;
    QFile plain("plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_EQ(serial::openDevice("plain"), serial::InvalidHandle);
    EXPECT_EQ(serial::openDevice("missing"), serial::InvalidHandle);
}
