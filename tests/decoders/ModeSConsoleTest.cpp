// The decoder's console diagnostics: the aircraft table in both unit systems,
// the dump of a decoded message, which names the kind of each squitter.
#include "decoders/adsb/ModeSDecoder.h"

#include "AdsbTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

using modesfixture::fromHex;

constexpr const char* kIdentification = "8D4840D6202CC371C32CE0576098"; // 4840d6 "KLM1023 "
constexpr const char* kAltitudeReply = "2000183859C38D";                // format 4 of 4840d6, 38000 ft

// What print wrote to a memory stream.
std::string printed(const std::function<void(std::FILE*)>& print)
{
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* stream = open_memstream(&buffer, &size);
    print(stream);
    std::fclose(stream);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

class ModeSConsoleTest : public ::testing::Test
{
protected:
    ModeSConsoleTest()
    {
        decoder.setClock(clock.function());
        feedHex(decoder, kIdentification);
        feedHex(decoder, kAltitudeReply);
        clock.advanceSeconds(7);
    }

    TestClock clock;
    ModeSDecoder decoder;
};

} // namespace

TEST_F(ModeSConsoleTest, TableShowsEachAircraftInTheChosenUnits)
{
    const std::string metric = printed([&](std::FILE* out) { decoder.printAircraftTable(out); });
    EXPECT_EQ(metric.rfind("\x1b[H\x1b[2J", 0), 0u) << "starts by clearing the terminal";
    EXPECT_NE(metric.find("Hex    Flight   Altitude  Speed   Lat       Lon       Track  Messages Seen"),
              std::string::npos);
    EXPECT_NE(metric.find("4840d6 KLM1023  11575"), std::string::npos) << metric; // 38000 ft / 3.2828
    EXPECT_NE(metric.find("7 sec"), std::string::npos) << metric;

    decoder.useMetric = false;
    const std::string imperial = printed([&](std::FILE* out) { decoder.printAircraftTable(out); });
    EXPECT_NE(imperial.find("4840d6 KLM1023  38000"), std::string::npos) << imperial;
}

TEST_F(ModeSConsoleTest, TableStopsAtFifteenAircraft)
{
    ModeSDecoder crowded;
    crowded.setClock(clock.function());
    for (int i = 0; i < 20; ++i)
        feedFrame(crowded, modesfixture::identification(0x100000 + uint32_t(i), "TEST"));
    const std::string table = printed([&](std::FILE* out) { crowded.printAircraftTable(out); });
    int rows = 0;
    for (size_t at = table.find(" sec\n"); at != std::string::npos; at = table.find(" sec\n", at + 1))
        ++rows;
    EXPECT_EQ(rows, 15);
}

TEST(ModeSConsole, MessageDumpNamesItsSquitterType)
{
    TestClock clock;
    ModeSDecoder decoder;
    decoder.setClock(clock.function());
    const modesfixture::Frame frame = fromHex(kIdentification);
    ModeSMessage mm{};
    decoder.decodeMessage(&mm, frame.data(), 0);
    const std::string dump = printed([&](std::FILE* out) { ModeSDecoder::printMessage(mm, out); });
    EXPECT_EQ(dump.rfind("*8d4840d6202cc371c32ce0576098;\n", 0), 0u) << dump;
    EXPECT_NE(dump.find("DF 17, ICAO address 4840d6"), std::string::npos) << dump;
    EXPECT_NE(dump.find("(Aircraft Identification and Category)"), std::string::npos) << dump;
    EXPECT_NE(dump.find("Identification: KLM1023"), std::string::npos) << dump;
}

namespace {

// An extended squitter of another type: the identification frame with its
// type and subtype replaced, its parity made good again.
modesfixture::Frame squitterOfType(int type, int subtype)
{
    modesfixture::Frame frame = modesfixture::identification(0x4840d6, "TEST");
    frame[4] = uint8_t(type << 3 | subtype);
    modesfixture::setParity(frame);
    return frame;
}

} // namespace

// The dump of each received extended squitter names its kind.
TEST(ModeSConsole, TheDumpNamesTheKindOfEachSquitterReceived)
{
    using namespace modesfixture;
    const struct
    {
        const char* what;
        Frame frame;
        const char* named;
    } cases[] = {
        {"identification", identification(0x3c6586, "DLH4AB"), "(Aircraft Identification and Category)"},
        {"airborne position", airbornePosition(0x3c6586, 48.5, 2.3, 35000, false),
         "(Airborne Position (Baro Altitude))"},
        {"ground speed", groundVelocity(0x3c6586, 300, -120), "(Airborne Velocity)"},
        {"supersonic ground speed", groundVelocity(0x3c6586, 1200, 40, true), "(Airborne Velocity)"},
        {"surface position", squitterOfType(6, 0), "(Surface Position)"},
        {"position with GNSS height", squitterOfType(21, 0), "(Airborne Position (GNSS Height))"},
        {"velocity of an unknown subtype", squitterOfType(19, 5), "(Unknown)"},
        {"test message", squitterOfType(23, 0), "(Test Message)"},
        {"test message of another subtype", squitterOfType(23, 1), "(Unknown)"},
        {"surface system status", squitterOfType(24, 1), "(Surface System Status)"},
        {"emergency status", squitterOfType(28, 1), "(Extended Squitter Aircraft Status (Emergency))"},
        {"TCAS advisory", squitterOfType(28, 2), "(Extended Squitter Aircraft Status (1090ES TCAS RA))"},
        {"target state", squitterOfType(29, 1), "(Target State and Status Message)"},
        {"operational status", squitterOfType(31, 1), "(Aircraft Operational Status Message)"},
        {"reserved type", squitterOfType(25, 0), "(Unknown)"},
    };
    TestClock clock;
    ModeSDecoder decoder;
    decoder.setClock(clock.function());
    for (const auto& c : cases) {
        ModeSMessage mm{};
        decoder.decodeMessage(&mm, c.frame.data(), 0);
        const std::string dump = printed([&](std::FILE* out) { ModeSDecoder::printMessage(mm, out); });
        EXPECT_NE(dump.find(c.named), std::string::npos) << c.what << ":\n" << dump;
    }
}
