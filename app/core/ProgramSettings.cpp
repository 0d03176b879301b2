#include "ProgramSettings.h"

#include "AppPaths.h"

#include <QSettings>

namespace ProgramSettings {

std::unique_ptr<QSettings> open()
{
    return std::make_unique<QSettings>(AppPaths::programSettingsFile(), QSettings::IniFormat);
}

QVariant valueOrWriteDefault(QSettings& settings, const QString& key, const QVariant& defaultValue,
                             bool* wroteDefault)
{
    QVariant stored = settings.value(key);
    bool missing = stored.isNull();
    if (missing)
        settings.setValue(key, defaultValue);
    if (wroteDefault)
        *wroteDefault = missing;
    return missing ? defaultValue : stored;
}

} // namespace ProgramSettings
