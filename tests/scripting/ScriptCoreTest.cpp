// Starting scripts and what the user sees of them: errors, files, user
// actions, figure windows and the orderly stop.
#include "ScriptFixture.h"

#include "ThreadGate.h"
#include "engine/MultiSDR.h"
#include "scripting/JFigure.h"
#include "scripting/JWindow.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <gmock/gmock.h>
#include <qwt_plot_curve.h>

namespace {

using ::testing::UnorderedElementsAre;

int curveCount(JWindow* window)
{
    return window->figure()->itemList(QwtPlotItem::Rtti_PlotCurve).size();
}

// Errors and files ----------------------------------------------------------

// A syntax error is reported after the script's start and end, once, with its line.
TEST_F(ScriptTest, SyntaxErrorShowsItsLineAfterTheScriptEnds)
{
    ASSERT_TRUE(run(QStringLiteral("var a = 1;\nvar b = 2;\nvar c = ;\n")));
    waitFor([&] { return !boxes.seen().empty(); });
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_EQ(boxes.seen()[0].title, QString("Orvex"));
    EXPECT_TRUE(boxes.seen()[0].text.endsWith("\nligne:3")) << boxes.seen()[0].text.toStdString();
    const QStringList lines = debug.lines();
    const int started = lines.indexOf(QRegularExpression("ScriptCore::scriptStarts.*"));
    const int ended = lines.indexOf(QRegularExpression("ScriptCore::scriptEnds.*"));
    EXPECT_GE(started, 0);
    EXPECT_GT(ended, started);
}

TEST_F(ScriptTest, ThrownExceptionStopsTheScriptAtItsLine)
{
    ASSERT_TRUE(
        run(QStringLiteral("orvex.alert('before');\nthrow new Error('boom');\norvex.alert('after');")));
    waitFor([&] { return boxes.seen().size() >= 2; });
    EXPECT_THAT(boxTexts(), UnorderedElementsAre("before", "Error: boom\nligne:2"));
}

TEST_F(ScriptTest, MissingFileIsToldWithoutALine)
{
    const QString path = h.dir.file("no such script.js");
    core()->runScriptFile(path);
    ASSERT_TRUE(ended(newestScript()));
    waitFor([&] { return !boxes.seen().empty(); });
    EXPECT_EQ(boxTexts(), QStringList{"Fichier non trouve"});
    EXPECT_TRUE(log().contains("[Error] {kv3lab} ScriptEngine::run loadFile " + path + " not found"))
        << log().toStdString();
    EXPECT_TRUE(debugLines("ScriptCore::scriptStarts").isEmpty());
}

TEST_F(ScriptTest, ScriptFileIsReadAsUtf8)
{
    QFile file(h.dir.file("greeting.js"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("orvex.alert('Arrêt à %1');").arg(QChar(0x00e9)).toUtf8());
    file.close();
    core()->runScriptFile(file.fileName());
    ASSERT_TRUE(ended(newestScript()));
    EXPECT_EQ(boxTexts(), QStringList{QStringLiteral("Arrêt à é")});
}

// Until the main window hands over the engine, scripts do not run.
TEST_F(ScriptTest, ScriptWithoutEngineDoesNotRun)
{
    core()->setController(nullptr, nullptr);
    ASSERT_TRUE(run(QStringLiteral("orvex.alert('ran');")));
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_TRUE(debugLines("ScriptCore::scriptStarts").isEmpty());
}

// User actions -------------------------------------------------------------------

// The value behind an action button: "orvex." (case-sensitive) starts a script
// in itself, anything else names a file, nothing does nothing.
TEST_F(ScriptTest, ActionValueIsScriptOrFile)
{
    QFile file(h.dir.file("action.js"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("orvex.alert('from file');");
    file.close();

    struct Action
    {
        QString value;
        QStringList boxes;
    };
    const Action actions[] = {
        {QString(), {}},
        {QStringLiteral("orvex.alert('inline')"), {"inline"}},
        {file.fileName(), {"from file"}},
        {QStringLiteral("Orvex.alert('inline')"), {"Fichier non trouve"}},
    };
    for (const Action& action : actions) {
        SCOPED_TRACE(action.value.toStdString());
        const size_t before = boxes.seen().size();
        core()->runAction(action.value);
        const QPointer<ScriptEngine> script = newestScript();
        ASSERT_TRUE(ended(script));
        waitFor([&] { return boxes.seen().size() >= before + action.boxes.size(); });
        EXPECT_EQ(boxTexts().mid(int(before)), action.boxes);
    }
}

TEST_F(ScriptTest, InlineActionRunsItsOneCall)
{
    const int before = h.engine->getRxOffset(0);
    core()->runAction(QStringLiteral("orvex.stepUp()"));
    ASSERT_TRUE(ended(newestScript()));
    EXPECT_EQ(h.engine->getRxOffset(0), before + h.engine->getStepSize(0));
}

// Boxes ----------------------------------------------------------------------

// Every kind of script box counts towards one bound; a message beyond it goes
// to the log. The requests come here without a turn of the event loop in
// between, so no box is closed meanwhile.
TEST_F(ScriptTest, BoxesBeyondTheBoundGoToTheLog)
{
    constexpr int Asked = ScriptCore::MaxOpenBoxes + 5;
    const struct
    {
        const char* what;
        std::function<void(int)> ask;
        QString text;
    } kinds[] = {
        {"alert", [](int i) { core()->do_alert(QStringLiteral("alert %1").arg(i)); }, "alert "},
        {"script error", [](int i) { core()->SLOT_scriptError({}, QStringLiteral("error %1").arg(i), 2); },
         "error "},
        {"program that does not start", [](int) { core()->do_exec(1, QString()); }, "Erreur au lancement"},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.what);
        const int loggedBefore = log().count("boxes open, message not shown: " + kind.text);
        for (int i = 0; i < Asked; ++i)
            kind.ask(i);
        EXPECT_EQ(shownBoxes(), ScriptCore::MaxOpenBoxes);
        EXPECT_EQ(log().count("boxes open, message not shown: " + kind.text) - loggedBefore,
                  Asked - ScriptCore::MaxOpenBoxes);
        // The end of the scripts' core closes what is still open.
        ScriptCore::release();
        EXPECT_EQ(shownBoxes(), 0);
    }
}

// A script that alerts every millisecond for seconds, far faster than boxes
// are closed: the boxes open at once never pass the bound, every alert is
// either shown or logged (beyond the bound, or once the script had the bound's
// worth open), and the program keeps answering and closes.
TEST_F(ScriptTest, AlertsFasterThanBoxesCloseStayWithinTheBound)
{
    constexpr int Alerts = 3000;
    core()->runScriptSource(
        QStringLiteral("for (var i = 0; i < %1; i++) { orvex.alert('x' + i); orvex.waitFor(1); }")
            .arg(Alerts));
    const QPointer<ScriptEngine> script = newestScript();
    int most = 0;
    const auto watch = [&](const std::function<bool()>& done) {
        return waitFor(
            [&] {
                most = std::max(most, shownBoxes());
                return done();
            },
            4 * ScriptMs);
    };
    ASSERT_TRUE(watch([&] { return script.isNull(); }));
    const auto logged = [&] {
        const QString text = log();
        return text.count("boxes open, message not shown: x") +
               text.count(QRegularExpression("alert of script \\d+: x"));
    };
    EXPECT_TRUE(watch([&] { return int(boxes.seen().size()) + shownBoxes() + logged() == Alerts; }))
        << boxes.seen().size() << " answered, " << shownBoxes() << " open, " << logged() << " logged";
    EXPECT_GE(most, 1);
    EXPECT_LE(most, ScriptCore::MaxOpenBoxes);

    bool answered = false;
    QMetaObject::invokeMethod(
        core(), [&] { answered = true; }, Qt::QueuedConnection);
    EXPECT_TRUE(waitFor([&] { return answered; }));
    ScriptCore::release();
    EXPECT_EQ(shownBoxes(), 0);
}

// A script that alerts in a loop, as a user may write it, fills the bound with
// its own boxes: from then on its alerts go to the log for the rest of its run
// (one line says so), so once the user has closed its boxes nothing new opens
// and the main window can be closed. Another script's alert is still shown.
TEST_F(ScriptTest, AScriptWithTheBoundOfBoxesOpenLogsItsLaterAlerts)
{
    core()->runScriptSource(
        QStringLiteral("var i = 0; while (true) { orvex.alert('alerte ' + i); i++; orvex.waitFor(5); }"));
    const QPointer<ScriptEngine> looping = newestScript();
    // Its first alerts wait, queued, until this thread serves them all at once:
    // no box can be closed before the bound's worth is open.
    const auto alertsSent = [&] { return debugLines("ScriptEngine::alert").size(); };
    QElapsedTimer clock;
    clock.start();
    while (alertsSent() < ScriptCore::MaxOpenBoxes + 2 && clock.elapsed() < ScriptMs)
        QThread::msleep(5);
    ASSERT_GE(alertsSent(), ScriptCore::MaxOpenBoxes + 2);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(shownBoxes(), ScriptCore::MaxOpenBoxes);
    const QString switched =
        QStringLiteral("ScriptCore: script %1 has %2 boxes open, its later alerts go to the log")
            .arg(looping->id())
            .arg(ScriptCore::MaxOpenBoxes);
    EXPECT_EQ(log().count(switched), 1);

    // The user closes the boxes (the responder answers them); the script goes
    // on alerting, into the log, and opens none.
    const QString loggedAlert = QStringLiteral("alert of script %1: alerte ").arg(looping->id());
    ASSERT_TRUE(waitFor([&] { return shownBoxes() == 0; }, ScriptMs));
    const int loggedWhenClosed = log().count(loggedAlert);
    ASSERT_TRUE(waitFor([&] { return log().count(loggedAlert) >= loggedWhenClosed + 20; }, ScriptMs));
    EXPECT_EQ(shownBoxes(), 0);
    EXPECT_EQ(boxes.seen().size(), size_t(ScriptCore::MaxOpenBoxes));
    EXPECT_FALSE(looping.isNull()) << "the loop ended";
    EXPECT_EQ(log().count(switched), 1);

    ASSERT_TRUE(run(QStringLiteral("orvex.alert('another script');")));
    EXPECT_EQ(boxTexts().last(), "another script");
}

// Figures --------------------------------------------------------------------

// Each script draws into its own window: figure() answers the window's number.
TEST_F(ScriptTest, TwoScriptsDrawIntoTheirOwnFigures)
{
    const QString script = QStringLiteral(R"(
        var f = orvex.figure();
        orvex.plot(f, %1);
        orvex.showFigure(f);
        orvex.alert(f + " " + %1.length);
    )");
    core()->runScriptSource(script.arg("[1, 2, 3]"));
    const QPointer<ScriptEngine> first = newestScript();
    core()->runScriptSource(script.arg("[4, 5, 6, 7]"));
    const QPointer<ScriptEngine> second = newestScript();
    ASSERT_TRUE(ended(first));
    ASSERT_TRUE(ended(second));
    waitFor([&] { return boxes.seen().size() >= 2; });

    // Whichever got which window, each drew into the one it was told.
    ASSERT_EQ(boxes.seen().size(), 2u);
    for (const QString& text : boxTexts()) {
        const int figno = text.section(' ', 0, 0).toInt();
        const int points = text.section(' ', 1, 1).toInt();
        JWindow* window = core()->window(figno - 1);
        ASSERT_NE(window, nullptr) << text.toStdString();
        EXPECT_TRUE(window->isVisible());
        const QwtPlotItemList curves = window->figure()->itemList(QwtPlotItem::Rtti_PlotCurve);
        ASSERT_EQ(curves.size(), 1);
        EXPECT_EQ(int(static_cast<QwtPlotCurve*>(curves[0])->dataSize()), points);
    }
    EXPECT_NE(core()->window(0)->owner(), core()->window(1)->owner());
}

// With every slot taken figure() answers 0, and figure 0 draws nowhere.
TEST_F(ScriptTest, NoFreeFigureGivesZeroAndDrawsNothing)
{
    const QString script = QStringLiteral(R"(
        var numbers = [];
        for (var i = 0; i < 11; i++)
            numbers.push(orvex.figure());
        orvex.plot(numbers[10], [1, 2]);
        orvex.alert(numbers.join(","));
    )");
    ASSERT_TRUE(run(script));
    EXPECT_EQ(boxTexts(), QStringList{"1,2,3,4,5,6,7,8,9,10,0"});
    for (int slot = 0; slot < ScriptCore::FigureSlots; ++slot) {
        ASSERT_NE(core()->window(slot), nullptr);
        EXPECT_EQ(curveCount(core()->window(slot)), 0) << "slot " << slot;
    }
}

// Closing one window of a script ("Fermer") closes all of that script's windows
// and frees their slots; another script's window stays.
TEST_F(ScriptTest, ClosingAFigureClosesItsScriptsOtherFigures)
{
    ASSERT_TRUE(run(QStringLiteral("orvex.showFigure(orvex.figure()); orvex.figure();")));
    ASSERT_TRUE(run(QStringLiteral("orvex.showFigure(orvex.figure());")));
    QPointer<JWindow> closed = core()->window(0);
    QPointer<JWindow> sibling = core()->window(1);
    QPointer<JWindow> other = core()->window(2);
    ASSERT_TRUE(closed && sibling && other);
    ASSERT_EQ(closed->owner(), sibling->owner());

    closed->findChild<QPushButton*>()->click();
    EXPECT_EQ(core()->window(0), nullptr);
    EXPECT_EQ(core()->window(1), nullptr);
    EXPECT_EQ(core()->window(2), other.data());
    EXPECT_TRUE(waitFor([&] { return closed.isNull() && sibling.isNull(); }));
    EXPECT_TRUE(other->isVisible());

    // The freed slots are taken again first.
    ASSERT_TRUE(run(QStringLiteral("orvex.alert(orvex.figure());")));
    EXPECT_EQ(boxTexts(), QStringList{"1"});
}

// Closing the main window while a script runs with a figure shown ends the
// event loop (the figure does not keep it running), and the quit stops the
// script and closes the figure before the loop's caller goes on.
TEST_F(ScriptTest, ClosingTheMainWindowEndsTheProgramWhileAScriptRuns)
{
    core()->runScriptSource(
        QStringLiteral("orvex.showFigure(orvex.figure()); while (true) orvex.waitFor(20);"));
    const QPointer<ScriptEngine> script = newestScript();
    ASSERT_TRUE(
        waitFor([&] { return core()->window(0) != nullptr && core()->window(0)->isVisible(); }, ScriptMs));
    const QPointer<JWindow> figure = core()->window(0);

    QWidget mainWindow;
    mainWindow.show();
    bool lastWindowClosed = false;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &mainWindow, [&] { lastWindowClosed = true; });
    QTimer::singleShot(0, &mainWindow, &QWidget::close);
    // Should the figure keep the loop alive, this ends it instead (and the test fails).
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, qApp, &QCoreApplication::quit);
    guard.start(ScriptMs);
    qApp->exec();

    EXPECT_TRUE(lastWindowClosed);
    EXPECT_TRUE(script.isNull());
    EXPECT_TRUE(figure.isNull());
}

// The orderly stop ---------------------------------------------------------------

struct RunningScript
{
    const char* what;
    const char* source;
    const char* runningWhen; // a debug line that shows the script is under way
};

void PrintTo(const RunningScript& c, std::ostream* os)
{
    *os << c.what;
}

class ScriptStop : public ScriptTest, public ::testing::WithParamInterface<RunningScript>
{
};

// Releasing the core (the program's end) ends every script in its wait or loop,
// within the stop bound: its engine is deleted, not left behind, and no error
// is reported for it. LeakSanitizer checks that nothing is lost on the way.
TEST_P(ScriptStop, ReleasingTheCoreEndsTheScript)
{
    const RunningScript& c = GetParam();
    core()->runScriptSource(QString::fromLatin1(c.source));
    const QPointer<ScriptEngine> script = newestScript();
    ASSERT_TRUE(waitFor([&] { return !debugLines(c.runningWhen).isEmpty(); }, ScriptMs));
    QPointer<JWindow> figure = core()->window(0);

    ScriptCore::release();
    EXPECT_TRUE(script.isNull());
    EXPECT_TRUE(figure.isNull());
    serveEventsPast(100); // what the script asked last is dropped, not shown
    for (const QString& text : boxTexts()) {
        EXPECT_FALSE(text.contains("ligne:")) << "a stop is no error of the script";
        EXPECT_NE(text, QString("late"));
    }
    EXPECT_FALSE(log().contains("did not stop"));
}

INSTANTIATE_TEST_SUITE_P(
    Script, ScriptStop,
    ::testing::Values(
        RunningScript{"waitFor_loop", "orvex.showFigure(orvex.figure()); while (true) orvex.waitFor(50);",
                      "ScriptEngine::waitFor"},
        RunningScript{"plain_loop", "var i = 0; while (true) { i++; }", "ScriptCore::scriptStarts"},
        RunningScript{"long_wait", "orvex.waitFor(1e9);", "ScriptEngine::waitFor"},
        RunningScript{"timer", "function t() {} orvex.setOnTimer('t', 5); while (true) orvex.waitFor(1);",
                      "ScriptEngine::SLOT_onTimer"},
        RunningScript{"pending_setDemodulator", "orvex.setDemodulator('NONE', 0, 0); orvex.alert('late');",
                      "ScriptEngine::setDemodulator"},
        RunningScript{"alerts_in_a_loop", "while (true) { orvex.alert('x'); orvex.waitFor(1); }",
                      "ScriptEngine::alert"}),
    [](const ::testing::TestParamInfo<RunningScript>& info) { return std::string(info.param.what); });

// A script held inside a call to the engine when the core is released (here
// in a listener of the engine's report, connected directly) is left running
// and said so, and the engine counts as in use; once the call comes back, the
// script reaches the engine no more and ends, and the engine is free again.
TEST_F(ScriptTest, AScriptHeldInTheEngineAtTheEndKeepsTheEngineInUse)
{
    ThreadGate gate;
    QObject context;
    QObject::connect(
        h.engine.get(), &Controller::MSG_ChannelTurnedOnOff, &context,
        [&gate] {
            if (QThread::currentThread() != qApp->thread())
                gate.pass();
        },
        Qt::DirectConnection);
    core()->runScriptSource(QStringLiteral("orvex.startRX(); orvex.stepUp();"));
    const QPointer<ScriptEngine> script = newestScript();
    ASSERT_TRUE(waitFor([&] { return gate.held() == 1; }));
    const int offset = h.engine->getRxOffset(0);

    ScriptCore::release();
    EXPECT_FALSE(script.isNull()) << "a running script was deleted";
    EXPECT_TRUE(ScriptCore::engineInUse());
    EXPECT_TRUE(log().contains("did not stop, left running inside a call to the engine, which is kept"));
    gate.open();
    ASSERT_TRUE(ended(script));
    EXPECT_FALSE(ScriptCore::engineInUse());
    EXPECT_EQ(h.engine->getRxOffset(0), offset);
    // RX A off before its panel goes: while it is on, the mixing thread uses
    // the panel's demodulator.
    h.engine->turnChannelOff(0);
    ASSERT_TRUE(waitFor([&] { return h.engine->multiSdr->currentMode() == MultiSDR::ModeOff; }));
}

} // namespace

// JFigure draws without a script: the curves and the axes ------------------------

TEST(JFigure, CurvesCycleYellowRedGreenAndTheAxesFollowTheLast)
{
    JFigure figure;
    const double first[] = {1, 5, 3};
    const double second[] = {-2, 2};
    const double third[] = {0, 10, 20, 30};
    const double fourth[] = {7, 8, 9, 10, 11};
    figure.plot(first, 3);
    figure.plot(second, 2);
    figure.plot(third, 4);
    figure.plot(fourth, 5);

    const QwtPlotItemList curves = figure.itemList(QwtPlotItem::Rtti_PlotCurve);
    ASSERT_EQ(curves.size(), 4);
    const QColor colors[] = {Qt::yellow, Qt::red, Qt::green, Qt::yellow};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(static_cast<QwtPlotCurve*>(curves[i])->pen().color(), colors[i]) << "curve " << i;
    EXPECT_EQ(figure.axisScaleDiv(QwtPlot::xBottom).interval(), QwtInterval(0, 5));
    EXPECT_EQ(figure.axisScaleDiv(QwtPlot::yLeft).interval(), QwtInterval(7, 11));
}

// A single value, a constant series or values that are not finite draw without
// trouble; the left axis spans the finite values (a single one leaves it to Qwt).
TEST(JFigure, DegenerateSeriesDraw)
{
    struct Series
    {
        const char* what;
        std::vector<double> values;
        QwtInterval bottom;
        QwtInterval left; // invalid: not checked
    };
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const Series cases[] = {
        {"single value", {4}, {0, 1}, {}},
        {"constant", {2, 2, 2}, {0, 3}, {}},
        {"not finite", {nan, 1, inf, 3}, {0, 4}, {1, 3}},
        {"nothing finite", {nan, -inf}, {0, 2}, {}},
    };
    for (const Series& c : cases) {
        SCOPED_TRACE(c.what);
        JFigure figure;
        figure.resize(300, 200);
        figure.plot(c.values.data(), int(c.values.size()));
        figure.grab(); // draws it
        EXPECT_EQ(figure.itemList(QwtPlotItem::Rtti_PlotCurve).size(), 1);
        EXPECT_EQ(figure.axisScaleDiv(QwtPlot::xBottom).interval(), c.bottom);
        if (c.left.isValid())
            EXPECT_EQ(figure.axisScaleDiv(QwtPlot::yLeft).interval(), c.left);
    }
}
