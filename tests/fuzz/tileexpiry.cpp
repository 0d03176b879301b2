// Feeds arbitrary bytes to the reader of the tile cache's expiry table: what
// it accepts must survive a write and a read.
#include "QuietQt.h"
#include "map/tiles/TileBytes.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool silenced = (silenceQtMessages(), true);
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
