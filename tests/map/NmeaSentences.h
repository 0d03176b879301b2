#pragma once

#include <cstdio>
#include <string>

// "$" + body + "*" + its checksum (two upper-case hex digits) + "\r\n".
inline std::string nmeaSentence(const std::string& body)
{
    unsigned parity = 0;
    for (char c : body)
        parity ^= static_cast<unsigned char>(c);
    char checksum[3];
    std::snprintf(checksum, sizeof(checksum), "%02X", parity);
    return "$" + body + "*" + checksum + "\r\n";
}

// A GGA sentence with fix quality 1 from its varying fields.
inline std::string ggaSentence(const std::string& time, const std::string& latitude,
                               const std::string& longitude, const std::string& altitude)
{
    return nmeaSentence("GPGGA," + time + "," + latitude + "," + longitude + ",1,08,0.9," + altitude +
                        ",M,46.9,M,,");
}

// The reference sentences: a fix over Munich, and one second later its RMC.
inline const std::string MunichGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
inline const std::string MunichRmc =
    "$GPRMC,123520,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*60\r\n";
