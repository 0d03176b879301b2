#include "Startup.h"

#include "FirstPhase.h"

#include <QApplication>
#include <QLocale>

int runApplication(int argc, char** argv)
{
    QApplication app(argc, argv);
    setUpApplication(app);
    StartupFrame frame;
    runFirstPhase(frame, QLocale::system().name());
    // The receiver choice and everything built around it come next; without
    // them the program ends as when no receiver is chosen.
    return 0;
}
