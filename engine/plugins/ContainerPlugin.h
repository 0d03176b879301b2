#pragma once

#include "engine/plugins/OrvexPlugin.h"

class ReceiverHardware;

// Shows the receiver's own control widget as a plug-in named after the receiver.
class ContainerPlugin : public OrvexPlugin
{
    Q_OBJECT
public:
    // A container for the receiver's display widget; null when the receiver has
    // none (or there is no receiver), so start-up registers nothing then.
    static ContainerPlugin* create(ReceiverHardware* hardware);

    // The receiver whose widget this shows: the widget's code is in that
    // receiver's driver library, so the container goes before the receiver.
    ReceiverHardware* receiver() const { return m_receiver; }

private:
    ContainerPlugin(ReceiverHardware* hardware, QWidget* display);

    ReceiverHardware* m_receiver;
};
