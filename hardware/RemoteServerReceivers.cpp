#include "hardware/RemoteServerReceivers.h"

#include "hardware/RemoteReceiverHardware.h"
#include "srvlib/RemoteStream.h"
#include "srvlib/SrvHttpClient.h"
#include "srvlib/SrvRegistry.h"
#include "srvlib/SrvServer.h"
#include "srvlib/SrvSource.h"

#include <QDebug>

#include <memory>

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

bool discardIfUnregistered(SrvServer* server)
{
    if (server == nullptr || !server->ownSources().empty() || !server->ownStreams().empty())
        return false;
    SrvHttpClient* client = server->client();
    delete server;
    delete client;
    return true;
}

} // namespace RemoteServerReceivers
