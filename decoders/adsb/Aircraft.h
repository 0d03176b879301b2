#pragma once

#include <cstdint>

namespace mutexobject {
struct MutexObject;
}

// One aircraft as the Mode S decoder knows it: a plain record (malloc'd,
// zeroed) in the decoder's singly linked list. Whoever keeps a copy of it
// copies it whole and forgets next and mutex, which belong to the list.
struct aircraft
{
    uint32_t address;    // 24-bit ICAO address
    char addressText[7]; // "%06x"
    char flight[9];      // identification, 8 characters; empty until one arrives
    int32_t altitude;    // feet
    int32_t speed;       // ground speed, knots
    int32_t verticalRateDown;
    int32_t verticalRate; // raw 9-bit value
    int32_t track;        // degrees 0..359
    int64_t seen;         // wall clock of the last message, seconds
    int32_t messages;
    int32_t oddCprLatitude;
    int32_t oddCprLongitude;
    int32_t evenCprLatitude;
    int32_t evenCprLongitude;
    double latitude; // degrees, valid once hasPosition
    double longitude;
    int64_t oddCprTime; // wall clock of the last odd / even position message, ms; 0: none yet
    int64_t evenCprTime;
    aircraft* next;
    int64_t frameTime;               // frame time of the last message
    mutexobject::MutexObject* mutex; // taken around every update
    bool hasPosition;                // a position pair has been decoded
};
