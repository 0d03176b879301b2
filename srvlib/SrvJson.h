#pragma once

#include <cstdint>
#include <jansson.h>
#include <string>

// Reading the members of the server's JSON replies. Numbers travel as JSON
// strings; a member that is missing or not a string reads as 0 (a JSON number
// included). Texts are copied only from JSON strings, else the target keeps
// its value.
void jsonGetString(json_t* object, const char* key, std::string& target);
double jsonGetDouble(json_t* object, const char* key);
int jsonGetInt(json_t* object, const char* key);
// A frequency in MHz, stored in Hz rounded to the nearest hertz.
int64_t jsonGetFrequency(json_t* object, const char* key);
// The same, read into the target only when the member is a JSON string: a
// description that lacks the member keeps the value it had. True when read.
bool jsonUpdateInt(json_t* object, const char* key, int& target);
bool jsonUpdateFrequency(json_t* object, const char* key, int64_t& target);

// The highest frequency a server may report (1 THz).
const int64_t kMaxServerFrequencyHz = 1000000000000LL;
// A frequency member that must be there and be a sound frequency: a string
// holding a finite number of MHz that comes to 0 to kMaxServerFrequencyHz.
// False, leaving *hz alone, otherwise.
bool jsonReadFrequency(json_t* object, const char* key, int64_t* hz);
