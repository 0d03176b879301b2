#include "ui/widgets/HWSettingWrapper.h"

#include "engine/ReceiverHardware.h"

void HWSettingWrapper::SLOT_setGain(int gain)
{
    if (hardware)
        hardware->setRxGain(static_cast<float>(gain), stage);
}
