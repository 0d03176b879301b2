#include "SrvJson.h"

#include "WireText.h"

namespace {

const char* stringMember(json_t* object, const char* key)
{
    json_t* member = json_object_get(object, key);
    return json_is_string(member) ? json_string_value(member) : nullptr;
}

} // namespace

void jsonGetString(json_t* object, const char* key, std::string& target)
{
    json_t* member = json_object_get(object, key);
    if (json_is_string(member))
        target.assign(json_string_value(member), json_string_length(member));
}

double jsonGetDouble(json_t* object, const char* key)
{
    const char* text = stringMember(object, key);
    return text != nullptr ? parseWireDecimal(text) : 0.0;
}

int jsonGetInt(json_t* object, const char* key)
{
    const char* text = stringMember(object, key);
    return text != nullptr ? parseWireInt(text) : 0;
}

int64_t jsonGetFrequency(json_t* object, const char* key)
{
    return mhzToHz(jsonGetDouble(object, key));
}

bool jsonUpdateInt(json_t* object, const char* key, int& target)
{
    if (stringMember(object, key) == nullptr)
        return false;
    target = jsonGetInt(object, key);
    return true;
}

bool jsonUpdateFrequency(json_t* object, const char* key, int64_t& target)
{
    if (stringMember(object, key) == nullptr)
        return false;
    target = jsonGetFrequency(object, key);
    return true;
}

bool jsonReadFrequency(json_t* object, const char* key, int64_t* hz)
{
    double mhz = 0.0;
    const char* text = stringMember(object, key);
    if (text == nullptr || !readWireDecimal(text, &mhz) || !(mhz >= 0.0 && mhz * 1e6 <= kMaxServerFrequencyHz))
        return false;
    *hz = mhzToHz(mhz);
    return true;
}
