#include "core/AppPaths.h"
#include "TempWorkDir.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

TEST(AppPaths, TestFolderReplacesExecutableFolderAndIsRestored)
{
    QString executableFolder = QCoreApplication::applicationDirPath();
    {
        TempWorkDir dir;
        EXPECT_EQ(AppPaths::applicationDir(), dir.path());
        EXPECT_EQ(AppPaths::programSettingsFile(), dir.path() + "/conf/vantor-sdr.conf");
    }
    EXPECT_EQ(AppPaths::applicationDir(), executableFolder);
}
