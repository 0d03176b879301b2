#include "MachineIdentity.h"

#include <cstdio>
#include <cstring>

void chooseAdapterAddress(const PlatformAdapter* adapters, int count, unsigned char out[8])
{
    std::memset(out, 0, 8);
    for (int i = 0; i < count; ++i) {
        const unsigned char* address = adapters[i].address;
        if (address[0] != 0x08 && address[1] != 0) {
            std::memcpy(out, address, 8);
            return;
        }
    }
}

void getAdapterAddress(unsigned char out[8])
{
    PlatformAdapter adapters[32];
    int count = platformListAdapters(adapters, 32);
    chooseAdapterAddress(adapters, count > 0 ? count : 0, out);
}

std::string adapterAddressText(const unsigned char address[8])
{
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", address[0], address[1], address[2],
                  address[3], address[4], address[5]);
    return text;
}
