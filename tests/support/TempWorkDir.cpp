#include "TempWorkDir.h"

#include "core/AppPaths.h"

#include <QDir>
#include <gtest/gtest.h>

TempWorkDir::TempWorkDir() : m_previousCwd(QDir::currentPath())
{
    EXPECT_TRUE(m_dir.isValid());
    QDir::setCurrent(m_dir.path());
    AppPaths::setApplicationDir(m_dir.path());
}

TempWorkDir::~TempWorkDir()
{
    AppPaths::setApplicationDir(QString());
    QDir::setCurrent(m_previousCwd);
}

QString TempWorkDir::path() const
{
    return m_dir.path();
}

QString TempWorkDir::file(const QString& relative) const
{
    return m_dir.path() + "/" + relative;
}

QString fixturesDir()
{
    return QStringLiteral(TARNX_FIXTURES_DIR);
}

QString testDataDir()
{
    return QStringLiteral(TARNX_TEST_DATA_DIR);
}
