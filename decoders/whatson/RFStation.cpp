#include "decoders/whatson/RFStation.h"

#include "lists/BookmarkEntry.h"
#include "lists/Bookmarks.h"

#include <QJsonValue>
#include <QLocale>

#include <cmath>

namespace {
const QString TimeFormat = QStringLiteral("hh:mm");
} // namespace

void RFStation::readJson(const QJsonObject& entry)
{
    frequency = qint64(entry.value("freq").toInt()) * 1000;
    bcast_name = entry.value("bcast_name").toString();
    ciraf = entry.value("ciraf").toString();
    lang = entry.value("lang").toString();
    loc = entry.value("loc").toString();
    name = entry.value("name").toString();
    power = entry.value("power").toInt();
    schedkey = entry.value("schedkey").toInt();
    modNotD = entry.value("mod").toString() == QLatin1String("D") ? 0 : 1;
    latitude = readDegrees(entry.value("slat").toString(), 'N', 'S');
    longitude = readDegrees(entry.value("slon").toString(), 'E', 'W');
    startTime = QTime::fromString(entry.value("hstart").toString(), TimeFormat);
    stopTime = QTime::fromString(entry.value("hstop").toString(), TimeFormat);
}

int RFStation::fromJson(const QJsonObject& entry)
{
    readJson(entry);
    BookmarkEntry bookmark;
    bookmark.frequency = frequency;
    bookmark.name = bcast_name;
    bookmark.modulation = QStringLiteral("AM");
    bookmark.bandwidth = 10;
    bookmark.labelColor = QColor(QStringLiteral("lime"));
    bookmark.memory = false;
    bookmark.scheduleKey = schedkey;
    Bookmarks::instance()->addBookmark(bookmark);
    return 1;
}

bool RFStation::isListedAt(const QTime& now) const
{
    if (!stopTime.isValid())
        return false;
    if (now < stopTime)
        return true;
    // Past midnight: on the air from its start until the end of the day.
    return startTime.isValid() && stopTime < startTime && now >= startTime;
}

double RFStation::readDegrees(const QString& text, QChar positive, QChar negative)
{
    QString number = text;
    double sign = 1.0;
    if (text.indexOf(positive) >= 1) {
        number.replace(positive, '.');
    } else {
        number.replace(negative, '.');
        sign = -1.0;
    }
    // Single precision, as the service's values are meant; C locale whatever
    // the user's.
    const float value = QLocale::c().toFloat(number);
    if (!std::isfinite(value))
        return 0.0;
    const double whole = std::trunc(double(value));
    return sign * (whole + (double(value) - whole) * 100.0 / 60.0);
}
