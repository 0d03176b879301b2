#pragma once

#include "StubReceiverHardware.h"

// An RTL-type receiver with nothing to give: an ADS-B receiver's thread started
// on it keeps waiting for samples until it is stopped.
struct SilentRtl : StubReceiverHardware
{
    SilentRtl() : StubReceiverHardware("RTL2832U") {}
    int prepareRXEngine() override { return 1; }
};
