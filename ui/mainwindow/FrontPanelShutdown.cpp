// The orderly end. Nothing may outlive what it uses: the engine and every
// thread behind the window stop first (each wait bounded), then both channels
// are switched off and announced, and only then are the receivers released.
#include "FrontPanel.h"

#include "engine/Controller.h"
#include "engine/ReceiverHardware.h"
#include "hardware/RadioHardwareProvider.h"
#include "map/panel/DemUI.h"

#include <QDebug>

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
    if (controller == nullptr || controller->getReceiverHardware() == nullptr)
        return;
    // The engine thread (its state-99 handshake), the mixing thread, the audio
    // output, the recorders, the player and the remote session.
    controller->shutdown();
    // The window no longer follows the engine: its own reaction to a channel
    // going off would write a remote receiver's board file.
    disconnect(controller, nullptr, this, nullptr);
    // A local receiver keeps its state in its board file; a remote one has none.
    controller->turnChannelsOffAtClose();
    stopSideThreads();
    // The remote spectrum's stream reads the remote receiver's server.
    delete remoteSpectrum;
    remoteSpectrum = nullptr;
    releaseReceivers();
}

void FrontPanel::stopSideThreads()
{
    // Stopped here, in this order, each with a bounded wait: the accessory
    // link, the GPS reader, running scripts and the ADS-B receiver.

    // The ADS-B receiver, last.
    mapPanel->stopADSBReceiver();
}

void FrontPanel::releaseReceivers()
{
    // The receivers are the provider's: without one, they are not ours to release.
    if (hardwareProvider == nullptr)
        return;
    ReceiverHardware* receiver = controller->getReceiverHardware();
    // The provider leaves the chosen receiver in place; it goes last (for a
    // remote receiver, with its streams).
    delete hardwareProvider;
    hardwareProvider = nullptr;
    delete receiver;
}
