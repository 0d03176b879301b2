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

QVector<RemoteReceiverHardware*> newChannelizerReceivers(const QVector<ReceiverHardware*>& listed)
{
    QVector<RemoteReceiverHardware*> added;
    std::unique_ptr<std::vector<RemoteStream*>> streams(listStreams());
    for (RemoteStream* stream : *streams) {
        const QString uid = QString::fromStdString(stream->uid());
        if (isListed(listed, stream->uid())) {
            qDebug() << "adding RemoteReceiverHardware" << uid << "already added in list";
            continue;
        }
        qDebug() << "adding RemoteReceiverHardware" << uid;
        auto* receiver = new RemoteReceiverHardware(stream);
        if (receiver->source() != nullptr && receiver->source()->kind() == 1) {
            added.append(receiver);
        } else {
            qDebug() << " not channelizer , skipped";
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
