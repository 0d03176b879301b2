// Feeds arbitrary bytes to the reader of the tile cache's expiry table: what
// it accepts must survive a write and a read.
#include "map/tiles/TileBytes.h"

#include <cstdint>
#include <cstdlib>

namespace {
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool silenced = (qInstallMessageHandler(quiet), true);
    (void)silenced;
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    TileBytes::ExpiryTable table;
    if (TileBytes::readExpiryTable(bytes, table)) {
        TileBytes::ExpiryTable again;
        if (!TileBytes::readExpiryTable(TileBytes::writeExpiryTable(table), again) || again != table)
            std::abort();
    }
    return 0;
}
