// The version check against a loopback download server: what the user is
// told for each kind of reply, and that a failure never reads as "latest".
#include "hardware/version/zxVersionChecker.h"

#include "core/ProgramSettings.h"
#include "core/QLogger.h"
#include "engine/plugins/NewsPlugin.h"
#include "engine/plugins/PluginManager.h"

#include "LoopbackHttpServer.h"
#include "ProgramLog.h"
#include "TempWorkDir.h"
#include "WaitFor.h"

#include <QFile>
#include <QSettings>
#include <QTextBrowser>
#include <gtest/gtest.h>

#include <vector>

namespace {

using Reply = LoopbackHttpServer::Reply;

const char* const VersionPath = "/client/VERSION_WIN.txt";

NewsPlugin* news()
{
    return qobject_cast<NewsPlugin*>(PluginManager::instance()->findPlugin(QStringLiteral("news")));
}

void setVersionSettings(const QString& host)
{
    auto settings = ProgramSettings::open();
    settings->beginGroup(QStringLiteral("Version"));
    settings->setValue(QStringLiteral("download_host"), host);
    settings->setValue(QStringLiteral("web_site"), QStringLiteral("http://site.test"));
}

class VersionCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProgramLog::capture();
        ASSERT_NE(news(), nullptr);
        PluginManager::instance()->invokePluginMethod(QStringLiteral("news"), "clear", {},
                                                      Qt::DirectConnection);
    }

    // Runs one check against host; the versions it announced.
    std::vector<double> check(const QString& host, int timeoutMs = kWaitBoundMs)
    {
        setVersionSettings(host);
        zxVersionChecker checker(nullptr, timeoutMs);
        std::vector<double> announced;
        QObject::connect(&checker, &zxVersionChecker::SIG_NewVersionAvailable,
                         [&](double version) { announced.push_back(version); });
        checker.check();
        EXPECT_TRUE(waitFor(
            [] { return ProgramLog::text().contains("zxVersionChecker::SLOT_downloaded() - remote version="); },
            20000));
        return announced;
    }

    static QString newsText() { return news()->findChild<QTextBrowser*>()->toPlainText(); }

    TempWorkDir dir;
};

} // namespace

TEST_F(VersionCheck, ANewerVersionIsAnnouncedAndPosted)
{
    LoopbackHttpServer server;
    server.setReply(VersionPath, Reply{200, "20991231\n"});
    const QString host = QStringLiteral("127.0.0.1:%1").arg(server.port());
    EXPECT_EQ(check(host), std::vector<double>{20991231});
    EXPECT_TRUE(newsText().startsWith("nouvelle version disponible:20991231")) << newsText().toStdString();
    EXPECT_TRUE(newsText().contains("consultez http://site.test pour les evolutions."))
        << newsText().toStdString();
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].target, "/client/VERSION_WIN.txt?myversion=20170103");
    EXPECT_TRUE(ProgramLog::text().contains("zxVersionChecker::check() - myversion= 1.0"));
}

TEST_F(VersionCheck, TheSameOrAnOlderVersionIsTheLatest)
{
    LoopbackHttpServer server;
    const QString host = QStringLiteral("127.0.0.1:%1").arg(server.port());
    for (const char* body : {"20170103", "20160101\r\n"}) {
        server.setReply(VersionPath, Reply{200, body});
        PluginManager::instance()->invokePluginMethod(QStringLiteral("news"), "clear", {},
                                                      Qt::DirectConnection);
        QFile::remove(QStringLiteral("logs/vantor-sdr.log"));
        EXPECT_TRUE(check(host).empty()) << body;
        EXPECT_TRUE(newsText().startsWith("vous avez la derniere version")) << body;
        EXPECT_TRUE(newsText().contains("consultez http://site.test pour les evolutions.")) << body;
    }
}

TEST_F(VersionCheck, AFailedCheckNeverClaimsTheLatestVersion)
{
    LoopbackHttpServer server;
    server.setReply("/missing.txt", Reply{404, ""});
    const QString host = QStringLiteral("127.0.0.1:%1").arg(server.port());
    QString refusedHost;
    {
        LoopbackHttpServer gone;
        refusedHost = QStringLiteral("127.0.0.1:%1").arg(gone.port());
    }
    struct Case
    {
        const char* name;
        Reply reply;
        const char* reason;
        bool refused = false; // no server at the address
    };
    const Case cases[] = {
        {"garbage", Reply{200, "<html>20991231</html>"}, "the reply is not a version number"},
        {"empty body", Reply{200, ""}, "the reply is not a version number"},
        {"not a finite number", Reply{200, "inf"}, "the reply is not a version number"},
        {"not found", Reply{404, "20991231"}, "server replied: Not Found"},
        {"server error", Reply{500, "20991231"}, "server replied"},
        {"redirect to nowhere", Reply{302, "", "text/plain", "Location: /missing.txt\r\n"}, "Not Found"},
        {"never answers", Reply{200, "20991231", "text/plain", "", 0, true}, "not finished within 500 ms"},
        {"refused connection", Reply{}, "", true},
    };
    for (const Case& c : cases) {
        server.setReply(VersionPath, c.reply);
        QFile::remove(QStringLiteral("logs/vantor-sdr.log"));
        // Only the case that tests the time limit gets a short one: a loaded
        // machine must not turn another case into a timeout.
        EXPECT_TRUE(check(c.refused ? refusedHost : host, c.reply.hang ? 500 : kWaitBoundMs).empty()) << c.name;
        EXPECT_EQ(newsText(), "") << c.name;
        EXPECT_TRUE(ProgramLog::text().contains("the version check failed: ") && ProgramLog::text().contains(c.reason))
            << c.name << "\n"
            << ProgramLog::text().toStdString();
    }
}

TEST_F(VersionCheck, ARedirectIsFollowed)
{
    LoopbackHttpServer server;
    server.setReply(VersionPath, Reply{301, "", "text/plain", "Location: /new/version.txt\r\n"});
    server.setReply("/new/version.txt", Reply{200, "20180101"});
    EXPECT_EQ(check(QStringLiteral("127.0.0.1:%1").arg(server.port())), std::vector<double>{20180101});
}

TEST(VersionSettings, ServerAndSiteHaveDefaultsWrittenWhenMissing)
{
    TempWorkDir dir;
    EXPECT_EQ(zxVersionChecker::downloadHost(), "download.vantor-sdr.example");
    EXPECT_EQ(zxVersionChecker::webSiteAddress(), "http://www.vantor-sdr.example");
    auto settings = ProgramSettings::open();
    EXPECT_EQ(settings->value("Version/download_host").toString(), "download.vantor-sdr.example");
    EXPECT_EQ(settings->value("Version/web_site").toString(), "http://www.vantor-sdr.example");
}
