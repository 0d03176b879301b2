#include "FirstPhase.h"

#include "StartupEnvironment.h"
#include "core/ProgramSettings.h"
#include "core/ProgramVersion.h"
#include "core/QLogger.h"

#include <QApplication>
#include <QSettings>
#include <QSplashScreen>
#include <QStyleFactory>
#include <QThread>

namespace {

void logTrace(const QString& text)
{
    QLogger::logTrace(LogModule, text);
}

void showSplashMessage(QSplashScreen& splash, const char* text)
{
    splash.showMessage(QObject::tr(text), Qt::AlignLeft | Qt::AlignTop, Qt::white);
}

void loadEnglishTranslation(StartupFrame& frame, const QString& localeName)
{
    if (localeName == "fr_FR")
        return;
    if (frame.translator.load("ClientApp_eng.qm")) {
        QCoreApplication::installTranslator(&frame.translator);
        logTrace("ClientApp_eng translation installed.");
        return;
    }
    frame.messageBox.setWindowTitle("Tarnx");
    frame.messageBox.setText("ERROR: Could not load the translation file for english.");
    frame.messageBox.setStandardButtons(QMessageBox::Yes);
    frame.messageBox.exec();
}

void showSplash(StartupFrame& frame)
{
    frame.splash = std::make_unique<QSplashScreen>(QPixmap(":/testlogo05.png"));
    frame.splash->show();
    QCoreApplication::processEvents();
    showSplashMessage(*frame.splash, QT_TRANSLATE_NOOP("QObject", "Chargement en cours..."));
    // Keeps the splash about one second in sight.
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(100);
    }
}

} // namespace

StartupFrame::StartupFrame() = default;
StartupFrame::~StartupFrame() = default;

void setUpApplication(QApplication& app)
{
    app.setStyle(QStyleFactory::create("fusion"));
    QCoreApplication::setOrganizationName("Vantor-SDR");
    QCoreApplication::setOrganizationDomain("vantor-sdr.example");
    QCoreApplication::setApplicationName("Tarnx");
    QCoreApplication::setApplicationVersion(ProgramVersion::Text);
}

void runFirstPhase(StartupFrame& frame, const QString& localeName)
{
    QLogger::QLoggerManager::instance()->addLogFile("./logs/vantor-sdr.log", QStringList{LogModule},
                                                    QLogger::TraceLevel);
    logTrace(QString(78, '-'));
    logTrace("Build date : " + ProgramVersion::BuildNumber);
    logTrace("Starting");
    logTrace("Detected locale is " + localeName);

    loadEnglishTranslation(frame, localeName);
    showSplash(frame);

    frame.settings = ProgramSettings::open();
    logTrace("Loading settings from " + frame.settings->fileName());

    testDatabases(*frame.settings);
    applyNetworkProxy(*frame.settings);

    logTrace("Loading terrain def");
    showSplashMessage(*frame.splash, QT_TRANSLATE_NOOP("QObject", "Chargement terrain"));
    loadStationAndTerrain(*frame.settings);
    QCoreApplication::processEvents();
}
