#include "SrvBookmark.h"

#include "SrvJson.h"

SrvBookmark::SrvBookmark(json_t* object)
{
    jsonGetString(object, "name", name);
    ID = jsonGetInt(object, "ID");
    frequency = jsonGetFrequency(object, "frequency");
    longitude = jsonGetDouble(object, "longitude");
    latitude = jsonGetDouble(object, "latitude");
}

SrvBand::SrvBand(json_t* object)
{
    jsonGetString(object, "name", name);
    ID = jsonGetInt(object, "ID");
    startFrequency = jsonGetFrequency(object, "start_frequency");
    stopFrequency = jsonGetFrequency(object, "stop_frequency");
}
