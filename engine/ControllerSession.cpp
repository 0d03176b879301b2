// The engine as the handler of a remote server's session channel, and its
// following of a remote receiver's centre.
#include "engine/Controller.h"

#include "engine/ReceiverHardware.h"

#include <QDebug>

#include <cstdlib>

namespace {

QString localText(const char* text)
{
    return text != nullptr ? QString::fromLocal8Bit(text) : QString();
}

} // namespace

void Controller::attachRemoteSession()
{
    if (hardware->getType() != ReceiverHardware::Orvex_Remote)
        return;
    // The remote receiver lives in a library above the engine: it is reached
    // through its meta-object only.
    auto* remote = dynamic_cast<QObject*>(hardware);
    if (remote == nullptr)
        return;
    if (!QMetaObject::invokeMethod(remote, "setSessionHandler", Qt::DirectConnection,
                                   Q_ARG(VantorCBHandler*, this)))
        qWarning() << "Controller::attachRemoteSession the remote receiver takes no session handler";
    connect(remote, SIGNAL(RemoteWasRetuned(qlonglong, int)), this,
            SLOT(SLOT_RemoteWasRetuned(qlonglong, int)), Qt::QueuedConnection);
}

void Controller::detachRemoteSession()
{
    auto* remote = dynamic_cast<QObject*>(hardware);
    if (remote == nullptr || hardware->getType() != ReceiverHardware::Orvex_Remote)
        return;
    QMetaObject::invokeMethod(remote, "setSessionHandler", Qt::DirectConnection,
                              Q_ARG(VantorCBHandler*, nullptr));
}

void Controller::SLOT_RemoteWasRetuned(qlonglong newF, int newSR)
{
    const qint64 moved = hwCenter.load() - newF;
    hwCenter = newF;
    if (newSR > 0) {
        const bool withinRate = std::llabs(moved) <= newSR / 2;
        for (int channel = 0; channel < ChannelCount; ++channel)
            setChannelOffset(channel, withinRate ? float(getRxOffset(channel) + moved) : 0.0f);
    }
    for (int channel = 0; channel < ChannelCount; ++channel)
        emit MSG_ChannelizerIsRetuned(newF, float(getRxOffset(channel)), channel);
}

void Controller::linkClosed()
{
    turnChannelOff(0);
    turnChannelOff(1);
    emit MSG_VantorLinkClosed();
}

void Controller::linkLost()
{
    turnChannelOff(0);
    turnChannelOff(1);
    emit MSG_VantorLinkLost();
}

void Controller::txtMsg(const char* from, const char* msg)
{
    emit MSG_VantorTxtMsg(localText(from), msg != nullptr ? QString::fromUtf8(msg) : QString());
}

void Controller::spot(const char* name, double latitude, double longitude, double frequencyMHz,
                      int lifeTimeMinutes)
{
    emit MSG_VantorSpot(localText(name), latitude, longitude, frequencyMHz, lifeTimeMinutes);
    emit MSG_RefreshBookmarks();
}

void Controller::updateIndicator(const char* name, const char*, double value)
{
    emit MSG_VantorUpdateIndicator(localText(name), value);
}
