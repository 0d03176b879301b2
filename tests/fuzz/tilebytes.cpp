// Feeds arbitrary bytes to the readers of a tile server's replies. The first
// byte picks the reader: a tile picture (also read from the disk cache) or a
// "Cache-Control" value.
#include "QuietQt.h"
#include "map/tiles/TileBytes.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    silenceQtMessages();
    // Image format plug-ins are found through the application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, int(size - 1));
    if (data[0] % 2 == 0) {
        const QImage image = TileBytes::decodeImage(bytes);
        if (!image.isNull() &&
            (image.width() > TileBytes::MaxTileEdge || image.height() > TileBytes::MaxTileEdge))
            std::abort();
    } else {
        const QDateTime now(QDate(2024, 5, 1), QTime(12, 0), Qt::UTC);
        const QDateTime expiry = TileBytes::expiryFromCacheControl(bytes, now);
        if (!expiry.isNull() && (expiry < now || now.secsTo(expiry) > TileBytes::MaxAgeLimitSeconds))
            std::abort();
    }
    return 0;
}
