#include "SrvSession.h"

#include <cstring>

namespace {

void copyText(char* target, const char* text)
{
    std::strncpy(target, text != nullptr ? text : "", SrvSession::kTextSize - 1);
    target[SrvSession::kTextSize - 1] = '\0';
}

} // namespace

SrvSession::SrvSession()
{
    clear();
}

SrvSession::SrvSession(const char* uid)
{
    clear();
    setUID(uid);
}

void SrvSession::clear()
{
    std::memset(m_uid, 0, sizeof m_uid);
    std::memset(m_alias, 0, sizeof m_alias);
    m_valid = 0;
}

void SrvSession::setUID(const char* uid)
{
    copyText(m_uid, uid);
    m_valid = 1;
}

bool SrvSession::fromJson(json_t* object)
{
    json_t* uid = json_object_get(object, "UID");
    if (!json_is_string(uid))
        return false;
    setUID(json_string_value(uid));
    json_t* alias = json_object_get(object, "alias");
    if (json_is_string(alias))
        copyText(m_alias, json_string_value(alias));
    return true;
}
