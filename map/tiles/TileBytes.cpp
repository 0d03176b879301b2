#include "TileBytes.h"

#include <QBuffer>
#include <QDataStream>
#include <QImageReader>
#include <QRegularExpression>

#include <algorithm>

namespace TileBytes {

QImage decodeImage(const QByteArray& bytes)
{
    if (bytes.isEmpty() || bytes.size() > MaxTileBytes)
        return QImage();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    // The header's size is checked before the decoder sizes its picture.
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > MaxTileEdge || size.height() > MaxTileEdge)
        return QImage();
    QImage image;
    if (!reader.read(&image))
        return QImage();
    return image;
}

QDateTime expiryFromCacheControl(const QByteArray& headerValue, const QDateTime& now)
{
    static const QRegularExpression maxAge(QStringLiteral("max-age=(\\d+)"));
    const int end = headerValue.indexOf('\0');
    const QString text = QString::fromLatin1(end < 0 ? headerValue : headerValue.left(end));
    const QRegularExpressionMatch match = maxAge.match(text);
    if (!match.hasMatch())
        return QDateTime();
    bool isNumber = false;
    const qulonglong seconds = match.captured(1).toULongLong(&isNumber);
    if (!isNumber)
        return QDateTime();
    return now.addSecs(static_cast<qint64>(std::min<qulonglong>(seconds, MaxAgeLimitSeconds)));
}

QByteArray writeExpiryTable(const ExpiryTable& table)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << table;
    return bytes;
}

bool readExpiryTable(const QByteArray& bytes, ExpiryTable& table)
{
    QDataStream stream(bytes);
    stream >> table;
    if (stream.status() != QDataStream::Ok) {
        table.clear();
        return false;
    }
    return true;
}

} // namespace TileBytes
