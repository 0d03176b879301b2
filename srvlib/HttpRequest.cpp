#include "HttpRequest.h"

#include "CurlGlobal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>

namespace {

// Room for the largest accepted reply and its terminating NUL.
const size_t kReplyBufferSize = 262144;

struct ReplyBuffer
{
    char* data;
    size_t fill;
};

size_t httpWriteCallback(char* piece, size_t size, size_t count, void* user)
{
    ReplyBuffer* reply = static_cast<ReplyBuffer*>(user);
    size_t bytes = size * count;
    if (reply->fill + bytes > kHttpReplyMaxBytes)
        return 0; // too large: ends the transfer with an error
    std::memcpy(reply->data + reply->fill, piece, bytes);
    reply->fill += bytes;
    return bytes;
}

} // namespace

char* http_request(const char* url, const char* postBody)
{
    ensureCurlGlobalInit();
    CURL* curl = curl_easy_init();
    if (curl == nullptr)
        return nullptr;
    ReplyBuffer reply{static_cast<char*>(std::malloc(kReplyBufferSize)), 0};
    if (reply.data == nullptr) {
        curl_easy_cleanup(curl);
        return nullptr;
    }

    char errorText[CURL_ERROR_SIZE] = "";
    curl_slist* headers = setCommonTransferOptions(curl, 0, errorText); // redirects are not followed
    curl_easy_setopt(curl, CURLOPT_URL, url);
    if (postBody != nullptr)
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, postBody);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kHttpRequestTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, httpWriteCallback);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);

    CURLcode code = curl_easy_perform(curl);
    long status = 0;
    if (code == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);

    if (code != CURLE_OK) {
        std::fprintf(stderr, "%s error: unable to request data from [%s]\n", "http_request", url);
        std::fprintf(stderr, "%s\n", errorText[0] != '\0' ? errorText : curl_easy_strerror(code));
        std::free(reply.data);
        return nullptr;
    }
    if (status != 200) {
        std::free(reply.data);
        return nullptr;
    }
    reply.data[reply.fill] = '\0';
    return reply.data;
}
