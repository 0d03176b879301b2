#pragma once

#include "engine/plugins/OrvexPlugin.h"

class QTextBrowser;

// The plug-in "WHATSON": a card of one broadcast station, asked for by the
// station's schedule key ("showStation"). Starts hidden and shows itself with
// its first text.
class WhatsonPlugin : public OrvexPlugin
{
    Q_OBJECT
public:
    static const QString Name; // "WHATSON"

    WhatsonPlugin();

    // Has the process-wide plug-in manager create this plug-in after its own
    // built-ins; start-up calls it once, before the manager is first used.
    static void registerBuiltIn();

    // Talks to no engine.
    void setController(Controller* controller) override;

    // Appends one paragraph of markup and shows the plug-in.
    void addText(const QString& text);

    QTextBrowser* browser;

public slots:
    void showStation(int schedKey);
};
