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

QUrl serverAddress(const QString& group, const QString& key, const QString& defaultAddress, QString* refused)
{
    std::unique_ptr<QSettings> settings = open();
    settings->beginGroup(group);
    QString text = valueOrWriteDefault(*settings, key, defaultAddress).toString().trimmed();
    settings->endGroup();
    while (text.endsWith('/'))
        text.chop(1);
    const QUrl address(text, QUrl::StrictMode);
    const bool isHttp = address.scheme() == "http" || address.scheme() == "https";
    if (!address.isValid() || !isHttp || address.host().isEmpty()) {
        if (refused)
            *refused = text;
        return QUrl(defaultAddress);
    }
    return address;
}

} // namespace ProgramSettings
