#include "AdapterAddress.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <string.h>
#include <sys/socket.h>

/* Keeps out[] sorted by interface index while inserting one adapter. */
static int insertByIndex(PlatformAdapter* out, int count, int maxCount, const PlatformAdapter* adapter)
{
    int at = count;
    while (at > 0 && out[at - 1].index > adapter->index)
        --at;
    if (at >= maxCount)
        return count;
    int last = count < maxCount ? count : maxCount - 1;
    memmove(&out[at + 1], &out[at], (size_t)(last - at) * sizeof(PlatformAdapter));
    out[at] = *adapter;
    return count < maxCount ? count + 1 : count;
}

int platformListAdapters(PlatformAdapter* out, int maxCount)
{
    struct ifaddrs* list = NULL;
    if (out == NULL || maxCount <= 0 || getifaddrs(&list) != 0)
        return -1;

    int count = 0;
    for (struct ifaddrs* it = list; it != NULL; it = it->ifa_next) {
        if (it->ifa_addr == NULL || it->ifa_addr->sa_family != AF_PACKET)
            continue;
        const struct sockaddr_ll* link = (const struct sockaddr_ll*)it->ifa_addr;
        if (link->sll_halen == 0)
            continue;
        PlatformAdapter adapter;
        memset(&adapter, 0, sizeof adapter);
        adapter.index = link->sll_ifindex;
        adapter.addressLength = link->sll_halen < PLATFORM_ADAPTER_ADDRESS_LENGTH
                                    ? link->sll_halen
                                    : PLATFORM_ADAPTER_ADDRESS_LENGTH;
        memcpy(adapter.address, link->sll_addr, adapter.addressLength);
        count = insertByIndex(out, count, maxCount, &adapter);
    }
    freeifaddrs(list);
    return count;
}
