#pragma once

#include <QMessageBox>
#include <QString>
#include <QTranslator>
#include <memory>

class QApplication;
class QSettings;
class QSplashScreen;

// What the first phase of the start-up builds and the second phase goes on
// using, kept alive until the program ends.
struct StartupFrame
{
    StartupFrame();
    ~StartupFrame();

    QTranslator translator;
    // Every notice and question of the start-up (one box, reused).
    QMessageBox messageBox;
    std::unique_ptr<QSplashScreen> splash;
    // The program settings, open through the whole start-up.
    std::unique_ptr<QSettings> settings;
};

// Style, organisation and application names of the application object.
void setUpApplication(QApplication& app);

// Everything that does not depend on the receiver: the log file, the English
// translation (unless localeName is "fr_FR"), the splash screen, the settings,
// a test of both databases, the network proxy, the station and its terrain.
// Nothing here ends the program. localeName is the system locale's name
// ("fr_FR"), given by the caller so that tests can choose it.
void runFirstPhase(StartupFrame& frame, const QString& localeName);
