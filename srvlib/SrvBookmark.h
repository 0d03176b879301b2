#pragma once

#include <cstdint>
#include <jansson.h>
#include <string>

// A bookmark of a server's list: "name", "ID", "frequency" (MHz), "longitude", "latitude".
struct SrvBookmark
{
    explicit SrvBookmark(json_t* object);
    int ID = 0;
    int64_t frequency = 0; // Hz
    std::string name;
    double longitude = 0.0;
    double latitude = 0.0;
};

// A segment of a server's band plan: "name", "ID", "start_frequency", "stop_frequency" (MHz).
struct SrvBand
{
    explicit SrvBand(json_t* object);
    int ID = 0;
    int64_t startFrequency = 0; // Hz
    int64_t stopFrequency = 0;
    std::string name;
};
