#include "engine/board/BoardSettings.h"

#include "core/AppPaths.h"
#include "core/ProgramSettings.h"
#include "engine/ReceiverHardware.h"

#include <QSettings>

namespace BoardSettings {

namespace {

bool allowedInFileName(QChar c)
{
    static const QString reserved = QStringLiteral("/\\:*?\"<>|");
    return c.unicode() >= 0x20 && c.unicode() != 0x7f && !reserved.contains(c);
}

} // namespace

QString receiverName(ReceiverHardware* hardware)
{
    if (hardware == nullptr)
        return {};
    return QString::fromLocal8Bit(hardware->getHardwareName());
}

QString fileName(const QString& receiverName)
{
    QString safe;
    safe.reserve(receiverName.size());
    for (QChar c : receiverName)
        safe.append(allowedInFileName(c) ? c : QChar('_'));
    // With the separators gone ".." cannot climb any more, but it stays out of
    // the name all the same so that no path built from it looks like it could.
    while (safe.contains(QStringLiteral("..")))
        safe.replace(QStringLiteral(".."), QStringLiteral("__"));
    return QStringLiteral("tnrx_") + safe + QStringLiteral(".conf");
}

QString filePath(const QString& receiverName)
{
    return AppPaths::applicationDir() + QStringLiteral("/conf/") + fileName(receiverName);
}

std::unique_ptr<QSettings> open(const QString& receiverName)
{
    auto settings = std::make_unique<QSettings>(filePath(receiverName), QSettings::IniFormat);
    settings->beginGroup(Group);
    return settings;
}

std::unique_ptr<QSettings> open(ReceiverHardware* hardware)
{
    return open(receiverName(hardware));
}

QString channelKey(int channel, const char* suffix)
{
    return QStringLiteral("Channel_") + QString::number(channel) + QLatin1String(suffix);
}

QString gainKey(int stage, int stageCount)
{
    if (stageCount == 1)
        return QStringLiteral("GainRF");
    return QStringLiteral("GainRF_") + QString::number(stage);
}

StartupValues readStartupValues(QSettings& settings, qint64 hwMin, qint64 hwMax)
{
    StartupValues values;
    values.converterMissing = !settings.contains(KeyLO);
    if (values.converterMissing) {
        settings.setValue(KeyLO, 0);
        settings.setValue(KeyInMin, hwMin);
        settings.setValue(KeyInMax, hwMax);
    }
    values.lo = settings.value(KeyLO).toLongLong();
    values.inMin = settings.value(KeyInMin).toLongLong();
    values.inMax = settings.value(KeyInMax).toLongLong();

    using ProgramSettings::valueOrWriteDefault;
    values.gainI = valueOrWriteDefault(settings, KeyGainI, 1.0).toDouble();
    values.gainQ = valueOrWriteDefault(settings, KeyGainQ, 1.0).toDouble();
    values.gainC = valueOrWriteDefault(settings, KeyGainC, 0.0).toDouble();
    values.ppmError = valueOrWriteDefault(settings, KeyPpmError, 0.0).toDouble();
    return values;
}

qint64 readCenter(QSettings& settings)
{
    return settings.value(KeyCenter).toLongLong();
}

} // namespace BoardSettings
