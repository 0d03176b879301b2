#pragma once

#include <jansson.h>

// The user's session on one server: the UID the server knows it by and the
// alias shown to other users. A fixed record; texts longer than 254 characters
// are cut to 254.
class SrvSession
{
public:
    static const int kTextSize = 255;

    SrvSession();
    explicit SrvSession(const char* uid);

    void clear();
    void setUID(const char* uid);
    bool isValid() const { return m_valid != 0; }
    const char* uid() const { return m_uid; }
    const char* alias() const { return m_alias; }

    // Takes "UID" (required, a string) and "alias" (when a string) of a
    // session reply; false, leaving the record unchanged, without a UID.
    bool fromJson(json_t* object);

private:
    char m_uid[kTextSize];
    char m_alias[kTextSize];
    unsigned char m_valid;
};
