// Fuzz target of the points-of-interest reader: any bytes; every line read
// has its fields, and no open line is left behind.
#include "map/geo/PoiLoader.h"

#include <QStandardItemModel>

#include <cstdlib>
#include <memory>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PoiLoader loader;
    std::unique_ptr<QStandardItemModel> model(loader.model);
    loader.parse(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    check(loader.row.isEmpty());
    for (int r = 0; r < model->rowCount(); ++r)
        check(model->item(r, 0) != nullptr);
    return 0;
}
