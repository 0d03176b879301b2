#pragma once

#include "SoundCapture.h"

#include <gtest/gtest.h>

#include <memory>

// A suite that records the null sink's monitor once for all its cases:
// starting a recording costs up to two seconds while the idle sink wakes up.
// Derived fixtures that add to SetUp call this one first and return on its
// fatal failures.
class MonitoredSoundTest : public ::testing::Test
{
public:
    static SoundCapture& monitor() { return *s_monitor; }

protected:
    static void SetUpTestSuite()
    {
        if (!SoundCapture::serverAvailable())
            return;
        s_monitor = std::make_unique<SoundCapture>();
        s_started = s_monitor->start();
    }
    static void TearDownTestSuite() { s_monitor.reset(); }

    void SetUp() override
    {
        ASSERT_TRUE(s_monitor)
            << "no PulseAudio server: source scripts/pulse-null-sink.sh before the sound tests";
        ASSERT_TRUE(s_started) << "parec records nothing from " << SoundCapture::kDefaultSource;
    }

private:
    inline static std::unique_ptr<SoundCapture> s_monitor;
    inline static bool s_started = false;
};
