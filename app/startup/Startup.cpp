#include "Startup.h"

#include "FirstPhase.h"
#include "ui/widgets/MesuresPlugin.h"

#include <QApplication>
#include <QLocale>

int runApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Plug-ins of the libraries above the engine, in the order the plug-in
    // manager creates them after its own; they must be known before its first use.
    MesuresPlugin::registerBuiltIn();
    setUpApplication(app);
    StartupFrame frame;
    runFirstPhase(frame, QLocale::system().name());
    // The receiver choice and everything built around it come next; without
    // them the program ends as when no receiver is chosen.
    return 0;
}
