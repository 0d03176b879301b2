#pragma once

// Header-only: the support library links only core, and this is included by
// test programs that link engine.

#include "engine/Channelizer.h"
#include "engine/Controller.h"
#include "engine/board/BoardSettings.h"
#include "engine/demod/Demodulator.h"

#include <QSettings>
#include <gtest/gtest.h>

#include <ostream>

// The pass band a demodulation mode gives the channel it is installed on, in
// hertz from the channel's frequency.
struct Band
{
    float low;
    float high;
    bool operator==(const Band& other) const { return low == other.low && high == other.high; }
};

inline std::ostream& operator<<(std::ostream& out, const Band& band)
{
    return out << band.low << " .. " << band.high;
}

// What a mode does with a channel of the engine.
struct ModeBands
{
    const char* name; // kept in the board file, restored by the selector
    Band fresh;       // reported before the mode is ever installed
    Band installed;   // the channel's band once the mode is installed
    Band widest;      // asked for far more than any mode allows
    Band narrowest;   // asked for an inverted band
};

inline Band channelBand(Controller& engine, int channel)
{
    return {engine.channelizer(channel)->lowCut(), engine.channelizer(channel)->highCut()};
}

// Installs demod on RX A of an attached engine and checks each band through the
// engine's own controls, and the name the board file keeps.
inline void expectModeBands(Controller& engine, Demodulator& demod, const ModeBands& mode)
{
    SCOPED_TRACE(mode.name);
    EXPECT_EQ((Band{demod.getLowEdge(), demod.getHighEdge()}), mode.fresh);
    engine.installDemodulator(&demod, 0);
    EXPECT_EQ(channelBand(engine, 0), mode.installed);
    engine.setBBLowHighCut(-1e6f, 1e6f, 0, false);
    EXPECT_EQ(channelBand(engine, 0), mode.widest);
    engine.setBBLowHighCut(1e6f, -1e6f, 0, false);
    EXPECT_EQ(channelBand(engine, 0), mode.narrowest);
    engine.saveSettings();
    const QString key = BoardSettings::channelKey(0, BoardSettings::ChannelMod);
    EXPECT_EQ(BoardSettings::open(engine.getReceiverHardware())->value(key).toString(), QString(mode.name));
    engine.installDemodulator(nullptr, 0);
}
