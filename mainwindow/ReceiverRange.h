#pragma once

#include <QtGlobal>

class ReceiverHardware;

// The radio frequencies a receiver covers: its converter's input range when a
// converter is attached, else the receiver's own centre-frequency limits.
struct ReceiverRange
{
    qint64 low = 0;
    qint64 high = 0;

    static ReceiverRange of(ReceiverHardware* hardware);
};
