#include "Startup.h"

#include "FirstPhase.h"
#include "SecondPhase.h"
#include "decoders/whatson/WhatsonPlugin.h"
#include "ui/widgets/MesuresPlugin.h"

#include <QApplication>
#include <QLocale>

int runApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Plug-ins of the libraries above the engine, in the order the plug-in
    // manager creates them after its own; they must be known before its first use.
    MesuresPlugin::registerBuiltIn();
    WhatsonPlugin::registerBuiltIn();
    setUpApplication(app);
    StartupFrame frame;
    runFirstPhase(frame, QLocale::system().name());
    return runSecondPhase(frame);
}
