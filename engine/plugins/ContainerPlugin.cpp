#include "engine/plugins/ContainerPlugin.h"

#include "engine/ReceiverHardware.h"
#include "engine/board/BoardSettings.h"

#include <QVBoxLayout>

ContainerPlugin* ContainerPlugin::create(ReceiverHardware* hardware)
{
    if (hardware == nullptr)
        return nullptr;
    QWidget* display = hardware->getDisplayWidget();
    if (display == nullptr)
        return nullptr;
    return new ContainerPlugin(hardware, display);
}

ContainerPlugin::ContainerPlugin(ReceiverHardware* hardware, QWidget* display) : m_receiver(hardware)
{
    // The receiver's name decoded as everywhere else, so it reads the same here
    // as in its board file and lists.
    name = BoardSettings::receiverName(hardware);
    title = name;
    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignHCenter);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(display);
}
