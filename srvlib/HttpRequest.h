#pragma once

#include <cstddef>

// One API transfer: a GET of url, or a POST of postBody to it when a body is
// given. Waits at most kHttpRequestTimeoutSeconds. Returns the malloc'd,
// NUL-terminated reply body of a 200 reply (the caller frees it), or null on any
// failure: no handle, transfer error or time-out (printed on stderr), a reply
// longer than kHttpReplyMaxBytes, or any other status.
char* http_request(const char* url, const char* postBody);

const long kHttpRequestTimeoutSeconds = 2;
const size_t kHttpReplyMaxBytes = 262142;
