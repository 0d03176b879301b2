#include "map/tiles/TileNetworkManager.h"
#include "LoopbackHttpServer.h"
#include "WaitFor.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QThread>
#include <gtest/gtest.h>

#include <mutex>

TEST(TileNetworkManager, EachThreadGetsItsOwnManagerWhichEndsWithTheThread)
{
    LoopbackHttpServer server;
    QThread worker;
    worker.start();
    QObject inWorker;
    inWorker.moveToThread(&worker);

    // Written in the worker; the blocking call returns once they are, which a
    // race detector cannot see through Qt's own semaphore: the lock shows it.
    std::mutex written;
    TileNetworkManager* workerInstance = nullptr;
    QPointer<QNetworkAccessManager> workerManager;
    QThread* managerThread = nullptr;
    QMetaObject::invokeMethod(
        &inWorker,
        [&] {
            std::lock_guard<std::mutex> hold(written);
            workerInstance = TileNetworkManager::instance();
            EXPECT_EQ(TileNetworkManager::instance(), workerInstance);
            QNetworkRequest request(QUrl(server.url("/tile.png")));
            QNetworkReply* reply = workerInstance->get(request);
            workerManager = reply->manager();
            managerThread = reply->manager()->thread();
            reply->abort();
            delete reply;
        },
        Qt::BlockingQueuedConnection);

    {
        std::lock_guard<std::mutex> hold(written);
        EXPECT_NE(TileNetworkManager::instance(), workerInstance);
        EXPECT_EQ(managerThread, &worker);
        EXPECT_FALSE(workerManager.isNull());
    }
    worker.quit();
    ASSERT_TRUE(worker.wait(kWaitBoundMs));
    // Nothing of the thread's network access outlives it.
    EXPECT_TRUE(workerManager.isNull());
}
