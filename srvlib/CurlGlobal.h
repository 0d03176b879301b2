#pragma once

#include <curl/curl.h>

// libcurl's global state is set up once per process, before the first
// transfer on any thread, and never torn down while threads may still use it
// (its set-up and clean-up must not run concurrently with other libcurl calls).
void ensureCurlGlobalInit();

// The extra header line every request carries (two blanks after the colon).
extern const char* const kSrvUserAgentLine;

// The most redirects a stream transfer follows (API requests follow none).
const long kMaxStreamRedirects = 5;

// Sets what every transfer shares: the header line (the returned list is the
// caller's to free after the transfer), no signals (time-outs on any thread),
// libcurl's error text into errorText (CURL_ERROR_SIZE bytes), and a redirect
// limit: at most maxRedirects, followed to plain HTTP only, 0 for none.
curl_slist* setCommonTransferOptions(CURL* curl, long maxRedirects, char* errorText);
