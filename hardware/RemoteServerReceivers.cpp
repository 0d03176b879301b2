#include "hardware/RemoteServerReceivers.h"

#include "hardware/RemoteReceiverHardware.h"
#include "srvlib/RemoteStream.h"
#include "srvlib/SrvHttpClient.h"
#include "srvlib/SrvRegistry.h"
#include "srvlib/SrvServer.h"
#include "srvlib/SrvSource.h"

#include <QDebug>

#include <memory>
#include <vector>

namespace RemoteServerReceivers {

bool isListed(const QVector<ReceiverHardware*>& listed, const std::string& uid)
{
    for (ReceiverHardware* receiver : listed) {
        auto* remote = dynamic_cast<RemoteReceiverHardware*>(receiver);
        if (remote != nullptr && remote->key() == uid)
            return true;
    }
    return false;
}

QVector<RemoteReceiverHardware*> newChannelizerReceivers(const QVector<ReceiverHardware*>& listed,
                                                         const DebugLines& lines)
{
    const auto write = [](const QString& line) { qDebug().noquote() << line; };
    QVector<RemoteReceiverHardware*> added;
    std::unique_ptr<std::vector<RemoteStream*>> streams(listStreams());
    for (RemoteStream* stream : *streams) {
        if (lines.adding)
            write("adding RemoteReceiverHardware " + QString::fromStdString(stream->uid()));
        if (isListed(listed, stream->uid())) {
            if (lines.alreadyListed != nullptr)
                write(lines.alreadyListed);
            continue;
        }
        auto* receiver = new RemoteReceiverHardware(stream);
        if (receiver->source() != nullptr && receiver->source()->kind() == 1) {
            added.append(receiver);
        } else {
            if (lines.notChannelizer != nullptr)
                write(lines.notChannelizer);
            delete receiver;
        }
    }
    return added;
}

void keepForTheRun(SrvHttpClient* client)
{
    // Never destroyed, and neither are the clients it holds.
    static auto* kept = new std::vector<SrvHttpClient*>();
    if (client != nullptr)
        kept->push_back(client);
}

void discard(SrvServer* server)
{
    if (server == nullptr)
        return;
    keepForTheRun(server->client());
    if (server->ownSources().empty() && server->ownStreams().empty())
        delete server;
}

} // namespace RemoteServerReceivers
