#pragma once

#include "engine/plugins/OrvexPlugin.h"

// "test": a placeholder panel with a fixed text.
class MemoryManagerPlugin : public OrvexPlugin
{
    Q_OBJECT
public:
    MemoryManagerPlugin();
};
