#include "StreamTransfer.h"

#include "CurlGlobal.h"
#include "SrvHttpClient.h"
#include "StreamFrameParser.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <pthread.h>

namespace {

struct TransferState
{
    CURL* curl;
    StreamFrameParser* parser;
    StreamStopCheck stop;
};

size_t streamWriteCallback(char* piece, size_t size, size_t count, void* user)
{
    TransferState* state = static_cast<TransferState*>(user);
    if (state->stop())
        return 0;
    // An error page is not a frame stream.
    long status = 0;
    curl_easy_getinfo(state->curl, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200)
        return 0;
    return state->parser->feed(piece, size * count) ? size * count : 0;
}

// Called by libcurl also while no data arrives, so that a stop never waits
// for the server to send something.
int streamProgressCallback(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<TransferState*>(user)->stop() ? 1 : 0;
}

// A transfer that failed (not one that was asked to stop). The I/Q thread
// names the base URL and repeats the error text; the other two name the path.
void reportTransferError(StreamKind kind, const char* threadName, const std::string& path,
                         const std::string& baseUrl, const char* errorText)
{
    if (kind == StreamKind::IQ) {
        std::fprintf(stderr, "error[%s]: unable to request stream from %s @ %s:\n", threadName, path.c_str(),
                     baseUrl.c_str());
        std::fprintf(stderr, "[%s] : %s\n", threadName, errorText);
        std::fprintf(stderr, "%s\n", errorText);
    } else {
        std::fprintf(stderr, "error[%s]: unable to request stream from %s:\n", threadName, path.c_str());
        std::fprintf(stderr, "[%s] : %s\n", threadName, errorText);
    }
}

} // namespace

void nameCurrentThread(const char* name)
{
    char shortName[16];
    std::snprintf(shortName, sizeof shortName, "%s", name);
    pthread_setname_np(pthread_self(), shortName);
}

bool runStreamTransfer(SrvHttpClient& client, const std::string& path, bool sealed, StreamFrameParser& parser,
                       StreamStopCheck stop, const char* threadName)
{
    const StreamKind kind = parser.kind();
    ensureCurlGlobalInit();
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        if (kind == StreamKind::IQ)
            std::fprintf(stderr, "%s\n", curl_easy_strerror(CURLE_OK));
        return false;
    }

    std::string url = client.baseUrl();
    char* token = nullptr;
    if (sealed) {
        token = client.sealedToken(path.c_str(), int(path.size()));
        if (token == nullptr) {
            curl_easy_cleanup(curl);
            return false;
        }
    } else {
        url += "/" + path;
        if (url.size() > SrvHttpClient::kMaxUrlLength) {
            std::fprintf(stderr, "error[%s]: stream URL too long for %s\n", threadName, path.c_str());
            curl_easy_cleanup(curl);
            return false;
        }
    }

    TransferState state{curl, &parser, stop};
    char errorText[CURL_ERROR_SIZE] = "";
    curl_slist* headers = setCommonTransferOptions(curl, kMaxStreamRedirects, errorText);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    if (token != nullptr)
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, token);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, streamWriteCallback);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, streamProgressCallback);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &state);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kStreamConnectTimeoutSeconds);

    CURLcode code = curl_easy_perform(curl);
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    std::free(token);

    // The write callback refuses an error page, so for the spectrum and session
    // streams it ends as a failed transfer; the I/Q thread names the status.
    const bool refused = status != 0 && status != 200;
    if (refused && kind == StreamKind::IQ) {
        std::fprintf(stderr, "error: server responded with code %ld\n", status);
        std::fprintf(stderr, "%s\n", curl_easy_strerror(CURLE_OK));
        return false;
    }
    if (code != CURLE_OK && !stop())
        reportTransferError(kind, threadName, path, client.baseUrl(),
                            errorText[0] != '\0' ? errorText : curl_easy_strerror(code));
    return code == CURLE_OK && !refused;
}
