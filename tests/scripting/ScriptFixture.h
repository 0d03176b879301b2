#pragma once

// A script core attached, as the main window attaches it, to a running engine
// on the synthetic receiver and a real RX A panel; boxes are answered and the
// debug output is collected.
#include "tests/e2e/EngineHarness.h"

#include "core/QLogger.h"
#include "scripting/ScriptCore.h"
#include "scripting/ScriptEngine.h"
#include "ui/panels/MainReceiver.h"

#include "DebugCapture.h"
#include "ModalResponder.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPointer>
#include <gtest/gtest.h>

class ScriptTest : public ::testing::Test
{
protected:
    // A generous bound for a short script on a loaded machine.
    static constexpr int ScriptMs = 30000;

    void SetUp() override
    {
        ASSERT_TRUE(h.loaded) << "the synthetic driver did not load";
        QLogger::QLoggerManager::instance()->addLogFile("./logs/vantor-sdr.log", LogModule,
                                                        QLogger::TraceLevel);
        rxA.setController(h.engine.get());
        core()->setController(h.engine.get(), &rxA);
    }
    void TearDown() override { ScriptCore::release(); }

    static ScriptCore* core() { return ScriptCore::instance(); }

    // The script started last; it stays valid until its engine is deleted.
    static QPointer<ScriptEngine> newestScript()
    {
        ScriptEngine* newest = nullptr;
        for (ScriptEngine* script : core()->findChildren<ScriptEngine*>()) {
            if (newest == nullptr || script->id() > newest->id())
                newest = script;
        }
        return newest;
    }
    // Serves events until the script's engine is deleted and no box is open
    // any more (the responder answers them in turn).
    static bool ended(const QPointer<ScriptEngine>& script, int timeoutMs = ScriptMs)
    {
        return waitFor([&] { return script.isNull() && shownBoxes() == 0; }, timeoutMs);
    }
    // The script boxes on screen.
    static int shownBoxes()
    {
        int shown = 0;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(window);
            shown += box != nullptr && box->isVisible() && box->windowTitle() == "Orvex" ? 1 : 0;
        }
        return shown;
    }
    // Runs the source as a script, serving events until its engine is deleted.
    static bool run(const QString& source)
    {
        core()->runScriptSource(source);
        return ended(newestScript());
    }

    // The texts of the message boxes shown so far.
    QStringList boxTexts() const
    {
        QStringList texts;
        for (const ModalResponder::Seen& seen : boxes.seen())
            texts << seen.text;
        return texts;
    }
    QString log() const
    {
        QFile file(h.dir.file("logs/vantor-sdr.log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // Lines of the debug output that contain text, in order.
    QStringList debugLines(const QString& text) const { return debug.lines().filter(text); }

    DebugCapture debug;
    e2e::EngineHarness h{e2e::kNoSound};
    MainReceiver rxA;
    ModalResponder boxes;
};
