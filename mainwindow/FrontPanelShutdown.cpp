// The orderly end. Nothing may outlive what it uses: the engine and every
// thread behind the window stop first (each wait bounded), then both channels
// are switched off and announced, and only then are the receivers released.
#include "FrontPanel.h"

#include "core/QLogger.h"
#include "engine/Controller.h"
#include "engine/ReceiverHardware.h"
#include "engine/plugins/ContainerPlugin.h"
#include "engine/plugins/PluginManager.h"
#include "hardware/RadioHardwareProvider.h"
#include "hardware/accessory/AccessoryComm.h"
#include "map/gps/GPSD.h"
#include "mappanel/DemUI.h"
#include "scripting/ScriptCore.h"

#include <QDebug>

namespace {

// A reader thread sees a stop request within its idle wait (50 ms); this
// bound is only reached by a thread stuck in its device.
constexpr unsigned long ReaderStopBoundMs = 3000;

} // namespace

FrontPanel::~FrontPanel()
{
    qDebug() << "Application closing";
    endReception();
    // The plug-in strip belongs to the plug-in manager, not to this window.
    if (pluginStrip != nullptr)
        pluginStrip->setParent(nullptr);
}

void FrontPanel::endReception()
{
    const bool attached = controller != nullptr && controller->getReceiverHardware() != nullptr;
    bool engineStopped = true;
    if (attached) {
        // The engine thread (its state-99 handshake), the mixing thread, the
        // audio output, the recorders, the player and the remote session.
        engineStopped = controller->shutdown();
        // The window no longer follows the engine: its own reaction to a channel
        // going off would write a remote receiver's board file.
        disconnect(controller, nullptr, this, nullptr);
        // A local receiver keeps its state in its board file; a remote one has none.
        controller->turnChannelsOffAtClose();
        // The remote spectrum's stream reads the remote receiver's server.
        delete remoteSpectrum;
        remoteSpectrum = nullptr;
    }
    // Also without an engine: the GPS reader has its port open from the start.
    stopSideThreads();
    if (!attached)
        return;
    // A script left inside a call to the engine may be in the receiver's driver:
    // the receivers are kept rather than freed under it.
    if (ScriptCore::engineInUse()) {
        QLogger::logError(
            LogModule, QStringLiteral("FrontPanel: a script is still in the engine, the receivers are kept"));
        return;
    }
    // So may the engine's own threads that did not stop.
    if (!engineStopped) {
        QLogger::logError(
            LogModule, QStringLiteral("FrontPanel: the engine's threads still run, the receivers are kept"));
        return;
    }
    releaseReceivers();
}

void FrontPanel::stopSideThreads()
{
    // The accessory link and the GPS reader call the engine and the antenna
    // and location singletons from their threads.
    stopAndDelete(accessory);
    accessory = nullptr;
    stopAndDelete(gps);
    gps = nullptr;
    // Running scripts call the engine and the RX A panel directly; each is
    // given a bounded time to stop.
    ScriptCore::release();
    // The ADS-B receiver, last: the map panel started it and stops it.
    mapPanel->stopADSBReceiver();
}

void FrontPanel::stopAndDelete(QThread* thread)
{
    if (thread == nullptr)
        return;
    thread->requestInterruption();
    if (!thread->wait(ReaderStopBoundMs)) {
        QLogger::logError(LogModule, QStringLiteral("FrontPanel: the thread %1 did not stop, left running")
                                         .arg(thread->metaObject()->className()));
        return;
    }
    delete thread;
}

void FrontPanel::releaseReceivers()
{
    // The receivers are the provider's: without one, they are not ours to release.
    if (hardwareProvider == nullptr)
        return;
    ReceiverHardware* receiver = controller->getReceiverHardware();
    // A driver's own panel is code of its library, which goes with the receiver.
    removeReceiverPanel(receiver);
    // The provider leaves the chosen receiver in place; it goes last (for a
    // remote receiver, with its streams).
    delete hardwareProvider;
    hardwareProvider = nullptr;
    delete receiver;
}

void FrontPanel::removeReceiverPanel(ReceiverHardware* receiver)
{
    PluginManager* plugins = PluginManager::instance();
    for (int i = plugins->count() - 1; i >= 0; --i) {
        auto* container = qobject_cast<ContainerPlugin*>(plugins->pluginAt(i));
        if (container != nullptr && container->receiver() == receiver)
            plugins->removePlugin(container);
    }
}
