// Console diagnostics of the Mode S decoder: the aircraft table and the dump
// of one decoded message.
#include "ModeSDecoder.h"

#include "platform/MutexObject.h"

#include <ctime>

namespace {

constexpr int TableRows = 15;

} // namespace

void ModeSDecoder::printAircraftTable(std::FILE* out) const
{
    // ANSI: clear the screen and put the cursor home.
    std::fputs("\x1b[H\x1b[2J", out);
    std::fprintf(out, "Hex    Flight   Altitude  Speed   Lat       Lon       Track  Messages Seen %s\n",
                 useMetric ? "(m, km/h)" : "(ft, kt)");
    std::fputs("--------------------------------------------------------------------------------\n", out);
    const qint64 now = nowSeconds();
    int rows = 0;
    for (const aircraft* a = aircraftList; a != nullptr && rows < TableRows; a = a->next, ++rows) {
        mutexobject::wait(a->mutex);
        int altitude = a->altitude;
        int speed = a->speed;
        if (useMetric) {
            altitude = int(altitude / 3.2828);
            speed = int(speed * 1.852);
        }
        std::fprintf(out, "%-6s %-8s %-9d %-7d %-7.03f   %-7.03f   %-3d   %-9d %d sec\n", a->addressText, a->flight,
                     altitude, speed, a->latitude, a->longitude, a->track, a->messages, int(now - a->seen));
        mutexobject::release(a->mutex);
    }
}

void ModeSDecoder::printMessage(const ModeSMessage& mm, std::FILE* out)
{
    std::fputc('*', out);
    for (int i = 0; i < mm.bitCount / 8; ++i)
        std::fprintf(out, "%02x", mm.bytes[i]);
    std::fputs(";\n", out);
    std::fprintf(out, "CRC: %06x (%s)\n", unsigned(mm.parity) & 0xFFFFFFu, mm.parityOk ? "ok" : "wrong");
    if (mm.repairedBits >= 0)
        std::fprintf(out, "Repaired bits: %d\n", mm.repairedBits);
    std::fprintf(out, "DF %d, ICAO address %06x\n", mm.downlinkFormat, mm.address());
    switch (mm.downlinkFormat) {
    case 4:
    case 20:
        std::fprintf(out, "  Flight status: %d\n  Altitude: %d %s\n", mm.flightStatus, mm.altitude,
                     mm.altitudeInMeters ? "meters" : "feet");
        break;
    case 5:
    case 21:
        std::fprintf(out, "  Flight status: %d\n  Squawk: %d\n", mm.flightStatus, mm.squawk);
        break;
    case 11:
        std::fprintf(out, "  Capability: %d\n", mm.capability);
        break;
    default:
        break;
    }
    if (!mm.isExtendedSquitter())
        return;
    std::fprintf(out, "  Extended Squitter Type: %d, Sub: %d (%s)\n", mm.esType, mm.esSubtype,
                 squitterTypeName(mm.esType, mm.esSubtype));
    if (mm.esType >= 1 && mm.esType <= 4) {
        std::fprintf(out, "    Aircraft category: %d\n    Identification: %s\n", mm.aircraftCategory, mm.flight);
    } else if (mm.esType >= 9 && mm.esType <= 18) {
        std::fprintf(out, "    %s frame\n    Altitude: %d feet\n    Latitude: %d (raw)\n    Longitude: %d (raw)\n",
                     mm.oddFrame ? "Odd" : "Even", mm.altitude, mm.cprLatitude, mm.cprLongitude);
    } else if (mm.esType == 19 && mm.esSubtype >= 1 && mm.esSubtype <= 4) {
        if (mm.velocityKnown)
            std::fprintf(out, "    Speed: %d knots\n    Heading: %d degrees\n", mm.groundSpeed, mm.heading);
        std::fprintf(out, "    Vertical rate: %s%d\n", mm.verticalRateDown ? "-" : "", mm.verticalRate);
    }
}

const char* ModeSDecoder::squitterTypeName(int type, int subtype)
{
    if (type >= 1 && type <= 4)
        return "Aircraft Identification and Category";
    if (type >= 5 && type <= 8)
        return "Surface Position";
    if (type >= 9 && type <= 18)
        return "Airborne Position (Baro Altitude)";
    if (type == 19 && subtype >= 1 && subtype <= 4)
        return "Airborne Velocity";
    if (type >= 20 && type <= 22)
        return "Airborne Position (GNSS Height)";
    if (type == 23 && subtype == 0)
        return "Test Message";
    if (type == 24 && subtype == 1)
        return "Surface System Status";
    if (type == 28 && subtype == 1)
        return "Extended Squitter Aircraft Status (Emergency)";
    if (type == 28 && subtype == 2)
        return "Extended Squitter Aircraft Status (1090ES TCAS RA)";
    if (type == 29 && (subtype == 0 || subtype == 1))
        return "Target State and Status Message";
    if (type == 31 && (subtype == 0 || subtype == 1))
        return "Aircraft Operational Status Message";
    return "Unknown";
}
