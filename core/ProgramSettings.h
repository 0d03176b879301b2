#pragma once

#include <QString>
#include <QUrl>
#include <QVariant>
#include <memory>

class QSettings;

// The program settings file "vantor-sdr.conf" (INI) in the application folder's
// "conf/". There is no settings service in memory: each user opens its own
// object when it needs a setting, works in its own group and lets it go, which
// writes back what changed.
namespace ProgramSettings {

// A settings object on the program settings file, without parent.
std::unique_ptr<QSettings> open();

// The value of key in the settings' current group. When the key is missing,
// defaultValue is written under it and returned, and *wroteDefault (when given)
// tells so.
QVariant valueOrWriteDefault(QSettings& settings, const QString& key, const QVariant& defaultValue,
                             bool* wroteDefault = nullptr);

// The address of an HTTP(S) server under group/key (the default written when
// missing), without a trailing slash. A value that is no such address gives
// defaultAddress, and *refused (when given) holds the refused text, else is
// left empty.
QUrl serverAddress(const QString& group, const QString& key, const QString& defaultAddress,
                   QString* refused = nullptr);

} // namespace ProgramSettings
