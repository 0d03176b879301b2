// CRC-24 parity, bit repair and the address cache of the Mode S decoder.
#include "decoders/adsb/ModeSDecoder.h"

#include <array>

namespace {

constexpr uint32_t kGenerator = 0xFFF409; // x^24 implied
constexpr int kParityBits = 24;
constexpr int kDataBits = ModeSMessage::LongBits - kParityBits;

// For each bit of a 112-bit message, the remainder that a message holding only
// that bit leaves; 0 for the parity bits. A 56-bit message uses the entries
// from 56 on.
using ParityTable = std::array<uint32_t, ModeSMessage::LongBits>;

ParityTable buildParityTable()
{
    ParityTable table{};
    for (int bit = 0; bit < kDataBits; ++bit) {
        uint32_t remainder = 0;
        for (int k = 0; k < kDataBits; ++k) {
            const uint32_t feedback = ((remainder >> 23) & 1u) ^ (k == bit ? 1u : 0u);
            remainder = (remainder << 1) & 0xFFFFFFu;
            if (feedback)
                remainder ^= kGenerator;
        }
        table[size_t(bit)] = remainder;
    }
    return table;
}

const ParityTable& parityTable()
{
    static const ParityTable table = buildParityTable();
    return table;
}

bool bitSet(const unsigned char* msg, int bit)
{
    return (msg[bit / 8] & (0x80 >> (bit % 8))) != 0;
}

void flipBit(unsigned char* msg, int bit)
{
    msg[bit / 8] ^= static_cast<unsigned char>(0x80 >> (bit % 8));
}

uint32_t receivedParity(const unsigned char* msg, int bits)
{
    const int last = bits / 8 - 1;
    return uint32_t(msg[last - 2]) << 16 | uint32_t(msg[last - 1]) << 8 | msg[last];
}

// What flipping one bit does to the difference between the computed and the
// received parity: a data bit changes the computed value by its table entry, a
// parity bit changes the received value by itself.
uint32_t syndromeOfBit(int bit, int bits)
{
    if (bit >= bits - kParityBits)
        return 1u << (bits - 1 - bit);
    return parityTable()[size_t(bit + (bits == ModeSMessage::LongBits ? 0 : ModeSMessage::ShortBits))];
}

uint32_t syndrome(const ModeSMessage* mm)
{
    return ModeSDecoder::parity(mm->bytes, mm->bitCount) ^ receivedParity(mm->bytes, mm->bitCount);
}

} // namespace

int ModeSDecoder::messageBits(unsigned char firstByte)
{
    return (firstByte & 0x80) ? ModeSMessage::LongBits : ModeSMessage::ShortBits;
}

uint32_t ModeSDecoder::parity(const unsigned char* msg, int bits)
{
    const ParityTable& table = parityTable();
    const int offset = bits == ModeSMessage::LongBits ? 0 : ModeSMessage::ShortBits;
    uint32_t crc = 0;
    for (int bit = 0; bit < bits; ++bit)
        if (bitSet(msg, bit))
            crc ^= table[size_t(bit + offset)];
    return crc;
}

// Trying each flip amounts to looking for the bit (or pair) whose own syndrome
// equals the message's, in the same order.
int ModeSDecoder::repairSingleBit(ModeSMessage* mm)
{
    const uint32_t wanted = syndrome(mm);
    for (int bit = 0; bit < mm->bitCount; ++bit) {
        if (syndromeOfBit(bit, mm->bitCount) == wanted) {
            flipBit(mm->bytes, bit);
            return bit;
        }
    }
    return -1;
}

int ModeSDecoder::repairTwoBits(ModeSMessage* mm)
{
    const uint32_t wanted = syndrome(mm);
    std::array<uint32_t, ModeSMessage::LongBits> single{};
    for (int bit = 0; bit < mm->bitCount; ++bit)
        single[size_t(bit)] = syndromeOfBit(bit, mm->bitCount);
    for (int first = 0; first < mm->bitCount; ++first) {
        for (int second = first + 1; second < mm->bitCount; ++second) {
            if ((single[size_t(first)] ^ single[size_t(second)]) == wanted) {
                flipBit(mm->bytes, first);
                flipBit(mm->bytes, second);
                return second * 256 + first;
            }
        }
    }
    return -1;
}

uint32_t ModeSDecoder::addressSlot(uint32_t address)
{
    uint32_t x = address;
    x ^= x >> 16;
    x *= 73244475u;
    x ^= x >> 16;
    x *= 73244475u;
    x ^= x >> 16;
    return x & (AddressCacheSize - 1);
}

void ModeSDecoder::rememberAddress(uint32_t address)
{
    CachedAddress& slot = addressCache[addressSlot(address)];
    slot.address = address;
    slot.time = uint32_t(nowSeconds());
}

bool ModeSDecoder::addressSeenRecently(uint32_t address) const
{
    const CachedAddress& slot = addressCache[addressSlot(address)];
    return slot.address != 0 && slot.address == address &&
           nowSeconds() - qint64(slot.time) <= AddressTtlSeconds;
}

// Replies of these formats carry their address XORed into the parity field.
bool ModeSDecoder::recoverAddress(ModeSMessage* mm)
{
    switch (mm->downlinkFormat) {
    case 0:
    case 4:
    case 5:
    case 16:
    case 20:
    case 21:
    case 24:
        break;
    default:
        return false;
    }
    const uint32_t address = parity(mm->bytes, mm->bitCount) ^ receivedParity(mm->bytes, mm->bitCount);
    if (!addressSeenRecently(address))
        return false;
    mm->addressBytes[0] = int(address >> 16);
    mm->addressBytes[1] = int((address >> 8) & 0xFF);
    mm->addressBytes[2] = int(address & 0xFF);
    return true;
}
