#include "core/FileDownloader.h"

#include "LoopbackHttpServer.h"
#include "WaitFor.h"

#include <QCoreApplication>
#include <QNetworkProxy>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Reply = LoopbackHttpServer::Reply;

// What a downloader said about its last request, in the order it said it.
struct Outcome
{
    std::vector<std::string> emitted;
    bool succeeded = false;
    QByteArray data;
    QString text;
    QString error;
};

Outcome download(FileDownloader& downloader, const QUrl& url = QUrl())
{
    Outcome outcome;
    QObject context;
    QObject::connect(&downloader, &FileDownloader::downloaded, &context,
                     [&] { outcome.emitted.push_back("downloaded"); });
    QObject::connect(&downloader, &FileDownloader::failed, &context,
                     [&] { outcome.emitted.push_back("failed"); });
    downloader.startDownload(url);
    waitFor([&] { return !outcome.emitted.empty(); });
    // The reply's error report was queued before it finished: what it brings
    // is delivered by the next pass over the queued events.
    QCoreApplication::processEvents();
    outcome.succeeded = downloader.succeeded();
    outcome.data = downloader.downloadedData();
    outcome.text = downloader.downloadedText();
    outcome.error = downloader.errorText();
    return outcome;
}

} // namespace

TEST(FileDownloader, OneGetIntoMemory)
{
    LoopbackHttpServer server;
    server.setReply("/text", Reply{200, QByteArray("12\0xyz", 6)});
    server.setReply("/missing", Reply{404, "no such file"});
    server.setReply("/broken", Reply{500, "oops"});
    server.setReply("/denied", Reply{403, "no"});
    server.setReply("/gone", Reply{410, "gone"});
    server.setReply("/moved", Reply{301, "", "text/plain", "Location: /text\r\n"});
    server.setReply("/empty", Reply{200, ""});
    server.setReply("/silent", Reply{200, "late", "text/plain", "", 0, true});
    server.setReply("/large", Reply{200, QByteArray(100, 'x')});
    struct Case
    {
        const char* path;
        bool succeeded;
        QByteArray data;
        QString text;
        std::vector<std::string> emitted;
        const char* error;
    };
    const std::vector<std::string> ended = {"downloaded"};
    const Case cases[] = {
        {"/text", true, QByteArray("12\0xyz", 6), "12", ended, ""},
        {"/moved", true, QByteArray("12\0xyz", 6), "12", ended, ""},
        {"/empty", true, "", "", ended, ""},
        {"/missing",
         false,
         "no such file",
         "no such file",
         {"downloaded", "failed"},
         "server replied: Not Found"},
        {"/broken", false, "oops", "oops", ended, "server replied"},
        // Only a resource that is not found is told by failed().
        {"/denied", false, "no", "no", ended, "server replied"},
        {"/gone", false, "gone", "gone", ended, "server replied"},
        {"/silent", false, "", "", ended, "not finished within 300 ms"},
        {"/large", false, "", "", ended, "larger than 50 bytes"},
    };
    for (const Case& c : cases) {
        FileDownloader downloader(server.url(c.path));
        downloader.setTimeout(300);
        downloader.setMaxBytes(50);
        const Outcome outcome = download(downloader);
        EXPECT_EQ(outcome.succeeded, c.succeeded) << c.path;
        EXPECT_EQ(outcome.data, c.data) << c.path;
        EXPECT_EQ(outcome.text, c.text) << c.path;
        EXPECT_EQ(outcome.emitted, c.emitted) << c.path;
        EXPECT_TRUE(outcome.error.contains(c.error)) << c.path << ": " << outcome.error.toStdString();
    }
}

TEST(FileDownloader, ARefusedConnectionIsAFailure)
{
    QUrl url;
    {
        LoopbackHttpServer gone;
        url = gone.url("/x");
    }
    FileDownloader downloader(url);
    const Outcome outcome = download(downloader);
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_FALSE(outcome.error.isEmpty());
    EXPECT_EQ(outcome.emitted, std::vector<std::string>{"downloaded"});
}

TEST(FileDownloader, EachDownloadReplacesTheLastBody)
{
    LoopbackHttpServer server;
    server.setReply("/a", Reply{200, "first"});
    server.setReply("/b", Reply{404, ""});
    FileDownloader downloader(server.url("/a"));
    EXPECT_EQ(download(downloader).text, "first");
    const Outcome second = download(downloader, server.url("/b"));
    EXPECT_FALSE(second.succeeded);
    EXPECT_EQ(second.data, "");
    // Without a URL the last one is fetched again.
    EXPECT_FALSE(download(downloader).succeeded);
    EXPECT_EQ(server.count("/b"), 2);
}

TEST(FileDownloader, TheApplicationProxyCarriesTheRequest)
{
    LoopbackHttpServer proxy;
    proxy.setReply("http://version.invalid/*", Reply{200, "through the proxy"});
    QNetworkProxy::setApplicationProxy(
        QNetworkProxy(QNetworkProxy::HttpProxy, "127.0.0.1", quint16(proxy.port())));
    FileDownloader downloader(QUrl("http://version.invalid/client/file.txt"));
    const Outcome outcome = download(downloader);
    QNetworkProxy::setApplicationProxy(QNetworkProxy(QNetworkProxy::DefaultProxy));
    EXPECT_TRUE(outcome.succeeded) << outcome.error.toStdString();
    EXPECT_EQ(outcome.text, "through the proxy");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0].target, "http://version.invalid/client/file.txt");
}
