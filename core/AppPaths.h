#pragma once

#include <QString>

// Where the program keeps its own files. Settings ("conf/") and databases ("db/")
// live beside the executable; tests point that folder at a temporary one.
namespace AppPaths {

// The folder of the executable, or the folder set with setApplicationDir().
QString applicationDir();

// Replaces the application folder for the rest of the process (an empty text
// restores the executable's folder). Used by tests so that no real conf/ or db/
// is read or written.
void setApplicationDir(const QString& folder);

// applicationDir() + "/conf/" + "vantor-sdr.conf".
QString programSettingsFile();

}  // namespace AppPaths
