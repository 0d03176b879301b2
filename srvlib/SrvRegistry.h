#pragma once

#include <string>
#include <vector>

class SrvSource;
class RemoteStream;

// Process-wide registries of every source and stream of every server connected
// in this process, keyed by the plain UID. The first server to register a UID
// wins; entries are never removed and the objects never deleted. Guarded by a
// lock, so they may be read from any thread.
bool registerSource(SrvSource* source);
bool registerStream(RemoteStream* stream);
SrvSource* findSource(const std::string& uid);
RemoteStream* findStream(const std::string& uid);
bool hasSource(const std::string& uid);
// New vectors in UID order; the caller deletes them.
std::vector<RemoteStream*>* listStreams();
std::vector<SrvSource*>* listSources();
size_t sourceCount();
size_t streamCount();
