#pragma once

#include <QtGlobal>

// What one display frame of a panel produced.
struct DisplayFrame
{
    bool processed = false; // a new spectrum was computed
    int rate = 0;           // of the window, Hz
    qint64 centre = 0;      // receiver centre, Hz
    qint64 offset = 0;      // channel offset, Hz
};
