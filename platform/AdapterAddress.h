#pragma once

/* Network adapter list: the Linux stand-in for the Windows adapter query
   (GetAdaptersInfo). Reports each interface that has a hardware address. */

#ifdef __cplusplus
extern "C" {
#endif

enum { PLATFORM_ADAPTER_ADDRESS_LENGTH = 8 };

typedef struct PlatformAdapter
{
    int index;                                              /* interface index */
    unsigned char address[PLATFORM_ADAPTER_ADDRESS_LENGTH]; /* zero beyond addressLength */
    unsigned int addressLength;
} PlatformAdapter;

/* Fills at most maxCount adapters, ordered by interface index so that the
   order is stable between runs. Returns the number filled, or -1 when the
   interface list cannot be read. */
int platformListAdapters(PlatformAdapter* out, int maxCount);

#ifdef __cplusplus
}
#endif
