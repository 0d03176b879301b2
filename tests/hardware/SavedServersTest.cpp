// Saved servers in the personal database: the table, rows in and out with
// bound values, and the clients made from them.
#include "RemoteTestServer.h"

#include "TempWorkDir.h"
#include "hardware/dbRemoteSDR.h"
#include "srvlib/SrvHttpClient.h"

#include <QSqlQuery>
#include <QVariant>
#include <gtest/gtest.h>

#include <memory>

namespace {

// A valid key text: 32 bytes in the server's base-64 alphabet.
const QString ValidKey = QStringLiteral("AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8_");

class SavedServersTest : public ::testing::Test
{
protected:
    TempWorkDir work;
};

std::vector<std::string> columns()
{
    std::vector<std::string> result;
    QSqlQuery query(QSqlDatabase::database(dbRemoteSDR::connectionName));
    EXPECT_TRUE(query.exec("PRAGMA table_info(remote_sdr)"));
    while (query.next())
        result.push_back(query.value(1).toString().toStdString() + " " +
                         query.value(2).toString().toUpper().toStdString() +
                         (query.value(5).toInt() ? " pk" : ""));
    return result;
}

} // namespace

TEST_F(SavedServersTest, TableIsCreatedOnceTheDatabaseOpens)
{
    {
        // No "MY" connection yet: nothing is created, the next construction tries again.
        dbRemoteSDR row;
        EXPECT_TRUE(row.select().isEmpty());
        EXPECT_FALSE(row.create("host", 1, "", ""));
    }
    PersonalDatabase db;
    dbRemoteSDR row;
    EXPECT_EQ(columns(),
              (std::vector<std::string>{"remote_id INTEGER pk", "remote_ip VARCHAR(100)", "remote_port INT",
                                        "public_key VARCHAR(250)", "user_alias VARCHAR(50)"}));
    EXPECT_TRUE(row.select().isEmpty());
}

TEST_F(SavedServersTest, RowsGoInWithBoundValuesAndComeBackWhole)
{
    PersonalDatabase db;
    dbRemoteSDR row;
    EXPECT_EQ(row.remoteId(), 0);
    EXPECT_EQ(row.port(), 8080);

    // Quotes and non-ASCII text travel as values, never as SQL.
    const QString alias = QString::fromUtf8("O'Brien \"é\"; drop table remote_sdr;--");
    ASSERT_TRUE(row.create("radio.example", 7373, ValidKey, alias));
    const int firstId = row.remoteId();
    EXPECT_GT(firstId, 0);
    EXPECT_EQ(row.apiUrl(), "http://radio.example:7373/api");
    ASSERT_TRUE(row.create("radio.example", 7373, ValidKey, alias));
    EXPECT_NE(row.remoteId(), firstId);
    ASSERT_TRUE(row.create(QString::fromUtf8("réseau.local"), 80, "", ""));

    QList<dbRemoteSDR*> rows = row.select();
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0]->remoteId(), firstId);
    EXPECT_EQ(rows[0]->address(), "radio.example");
    EXPECT_EQ(rows[0]->port(), 7373);
    EXPECT_EQ(rows[0]->keyText(), ValidKey);
    EXPECT_EQ(rows[0]->alias(), alias);
    EXPECT_EQ(rows[2]->address(), QString::fromUtf8("réseau.local"));
    EXPECT_EQ(rows[2]->apiUrl(), QString::fromUtf8("http://réseau.local:80/api"));
    qDeleteAll(rows);

    dbRemoteSDR loaded;
    loaded.loadData(firstId);
    EXPECT_EQ(loaded.alias(), alias);
    loaded.loadData(9999); // no such row: unchanged
    EXPECT_EQ(loaded.remoteId(), firstId);
}

TEST_F(SavedServersTest, ClientsCarryTheKeyAndASessionOnlyWithAKeyText)
{
    struct Case
    {
        QString key;
        bool hasKey;
        bool hasSession;
    };
    const Case cases[] = {
        {QString(), false, false},
        {ValidKey, true, true},
        {QStringLiteral("AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHg__"), false, true}, // 31 bytes
    };
    for (const Case& c : cases) {
        dbRemoteSDR row;
        row.setData(1, "127.0.0.1", 7373, c.key, "ALICE");
        std::unique_ptr<SrvHttpClient> client(row.makeClient());
        EXPECT_STREQ(client->host(), "127.0.0.1");
        EXPECT_EQ(client->port(), 7373);
        EXPECT_EQ(client->hasServerKey(), c.hasKey) << c.key.toStdString();
        EXPECT_EQ(client->session() != nullptr, c.hasSession) << c.key.toStdString();
        if (c.hasSession) {
            const std::string uid = client->sessionUID();
            EXPECT_EQ(uid.size(), 38u);
            EXPECT_EQ(uid.front(), '{');
        }
    }
}
