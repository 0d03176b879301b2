#pragma once

#include <QVector>

#include <string>

class ReceiverHardware;
class RemoteReceiverHardware;
class SrvHttpClient;
class SrvServer;

// What discovery and the selection dialog share when they turn the streams of
// connected servers into receivers.
namespace RemoteServerReceivers {

// Whether a listed remote receiver already wraps the stream of that UID.
bool isListed(const QVector<ReceiverHardware*>& listed, const std::string& uid);

// The debug lines a caller writes while it goes through the streams; a null
// text writes nothing.
struct DebugLines
{
    bool adding = false;                  // "adding RemoteReceiverHardware <UID>" for every stream
    const char* alreadyListed = nullptr;  // a stream that a listed receiver wraps
    const char* notChannelizer = nullptr; // a stream whose source is no channelizer
};

// A new receiver for every registered stream that no listed remote receiver
// wraps yet and whose source is a channelizer, in UID order; the receivers of
// other streams are dropped at once. Streams of every server connected in
// this process are considered, as they share one registry.
QVector<RemoteReceiverHardware*> newChannelizerReceivers(const QVector<ReceiverHardware*>& listed,
                                                         const DebugLines& lines = DebugLines());

// Keeps a client until the process ends, as every client of the run is kept:
// destroying one closes its session, and a server that keys sessions by
// machine would then close the session of the receiver in use.
void keepForTheRun(SrvHttpClient* client);

// Lets go of a server object built around a client of the caller's. The
// object is freed when it registered no source and no stream (registered
// objects keep a pointer to their server, so a server that registered
// anything must stay); its client is kept for the run either way.
void discard(SrvServer* server);

} // namespace RemoteServerReceivers
