#include "TileBytes.h"

#include <QBuffer>
#include <QDataStream>
#include <QImageReader>
#include <QRegularExpression>
#include <QtEndian>

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
    // Tiles come as PNG or JPEG, whose headers tell the picture's true size;
    // it is checked before the decoder sizes its picture.
    if (reader.format() != "png" && reader.format() != "jpeg")
        return QImage();
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
    table.clear();
    QDataStream stream(bytes);
    quint32 count = 0;
    stream >> count;
    // Read as Qt reads a hash, but each key's length is checked against the
    // bytes left before anything is allocated for it.
    for (quint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        quint32 keyBytes = 0;
        stream >> keyBytes;
        const bool nullKey = keyBytes == 0xffffffffu;
        if (!nullKey && (keyBytes % 2 != 0 || keyBytes > quint32(bytes.size() - stream.device()->pos()))) {
            stream.setStatus(QDataStream::ReadCorruptData);
            break;
        }
        QString key;
        if (!nullKey) {
            key.resize(int(keyBytes / 2));
            stream.readRawData(reinterpret_cast<char*>(key.data()), int(keyBytes));
            for (QChar& c : key)
                c = QChar(qFromBigEndian(c.unicode()));
        }
        QDateTime expiry;
        stream >> expiry;
        // Damaged bytes can make times that are none (such as one in a time
        // zone that does not exist, which Qt cannot even write back): left out.
        if (stream.status() == QDataStream::Ok && expiry.isValid())
            table.insert(key, expiry.toUTC());
    }
    if (stream.status() != QDataStream::Ok) {
        table.clear();
        return false;
    }
    return true;
}

} // namespace TileBytes
