#pragma once

#include <string>

class SrvHttpClient;
class StreamFrameParser;

// How a streaming thread learns that its owner wants it to end.
struct StreamStopCheck
{
    bool (*stopRequested)(void* user) = nullptr;
    void* user = nullptr;
    bool operator()() const { return stopRequested != nullptr && stopRequested(user); }
};

// Performs one long transfer of a framed stream on the calling thread: a POST
// of the sealed token of path to the base URL when the client holds the key
// (always for the session stream), else a GET of path below the base URL.
// Arriving pieces go to the parser. Returns when the server ends the transfer,
// the parser refuses data, the stop check answers true (seen at least about
// once a second, also while nothing arrives), or the connection cannot be made
// within kStreamConnectTimeoutSeconds. A body with a status other than 200 is
// not parsed. Failures other than a requested stop are printed on stderr,
// each stream in its own words (the parser's kind tells which): the I/Q
// stream also names the base URL and a refused status.
// True when the transfer ran with status 200 and ended without error.
bool runStreamTransfer(SrvHttpClient& client, const std::string& path, bool sealed, StreamFrameParser& parser,
                       StreamStopCheck stop, const char* threadName);

const long kStreamConnectTimeoutSeconds = 5;

// Names the calling thread (cut to the 15 characters Linux allows).
void nameCurrentThread(const char* name);
