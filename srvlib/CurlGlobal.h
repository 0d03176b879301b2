#pragma once

// libcurl's global state is set up once per process, before the first
// transfer on any thread, and never torn down while threads may still use it
// (its set-up and clean-up must not run concurrently with other libcurl calls).
void ensureCurlGlobalInit();

// The extra header line every request carries (two blanks after the colon).
extern const char* const kSrvUserAgentLine;
