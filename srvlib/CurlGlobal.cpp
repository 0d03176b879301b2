#include "CurlGlobal.h"

#include <curl/curl.h>
#include <mutex>

const char* const kSrvUserAgentLine = "User-Agent:  Orvex 1.0";

void ensureCurlGlobalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_ALL); });
}

curl_slist* setCommonTransferOptions(CURL* curl, long maxRedirects, char* errorText)
{
    curl_slist* headers = curl_slist_append(nullptr, kSrvUserAgentLine);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, maxRedirects > 0 ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, maxRedirects);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    // A POST stays a POST after redirections 301, 302 and 303.
    curl_easy_setopt(curl, CURLOPT_POSTREDIR, long(CURL_REDIR_POST_ALL));
    return headers;
}
