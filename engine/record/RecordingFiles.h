#pragma once

#include <QString>

#include <cstdio>

// Names and opening of the recordings in "./record" (a folder the recorders
// never create: without it, no recording starts).
namespace RecordingFiles {

// The local date and time in the form recordings are named with: ddMMyyyy_hhmmss.
QString stamp();

// "./record/RX_" + frequency in MHz with three decimals + "_" + stamp + ending,
// the ending being for instance ".mp3" or "_2.orvex".
QString path(qint64 frequencyHz, const QString& stamp, const QString& ending);

// Opens the file with the name encoded as the file system expects it, so the
// name reads back the same (never as Latin-1 bytes).
FILE* open(const QString& path, const char* mode);

// What the user is told when a recording ends on a file error: the file could
// not be created (the folder "record" missing, for instance), or a write
// failed (a full disk).
QString cannotCreateText(const QString& path);
QString writeErrorText(const QString& path);

} // namespace RecordingFiles
