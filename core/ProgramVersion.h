#pragma once

#include <QString>

// The program's version and build number: shown at start-up and in the main
// window's title, and compared with the download server's by the version check.
namespace ProgramVersion {

inline const QString Text = QStringLiteral("1.0");
inline const QString BuildNumber = QStringLiteral("20170103");

} // namespace ProgramVersion
