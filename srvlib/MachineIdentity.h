#pragma once

#include "platform/AdapterAddress.h"

#include <string>

// The machine identity sent in session paths: the hardware address of the
// first network adapter whose address neither begins with the byte 0x08 nor
// has 0 as its second byte. Six zero bytes when none qualifies.
void chooseAdapterAddress(const PlatformAdapter* adapters, int count, unsigned char out[8]);
void getAdapterAddress(unsigned char out[8]);

// "%02X-%02X-%02X-%02X-%02X-%02X" of the first six bytes.
std::string adapterAddressText(const unsigned char address[8]);
