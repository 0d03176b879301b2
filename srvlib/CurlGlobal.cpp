#include "CurlGlobal.h"

#include <curl/curl.h>
#include <mutex>

const char* const kSrvUserAgentLine = "User-Agent:  Orvex 1.0";

void ensureCurlGlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_ALL); });
}
