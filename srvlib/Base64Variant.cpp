#include "Base64Variant.h"

const char* const kBase64VariantAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789$*";

namespace {

const char kPad = '_';

int symbolValue(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '$')
        return 62;
    if (c == '*')
        return 63;
    return -1;
}

} // namespace

std::string encodeBase64Variant(const char* bytes, unsigned length)
{
    std::string text;
    text.reserve((length + 2) / 3 * 4);
    const unsigned char* in = reinterpret_cast<const unsigned char*>(bytes);
    unsigned i = 0;
    for (; i + 3 <= length; i += 3) {
        unsigned group = (in[i] << 16) | (in[i + 1] << 8) | in[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6)
            text += kBase64VariantAlphabet[(group >> shift) & 63];
    }
    unsigned rest = length - i;
    if (rest > 0) {
        unsigned group = in[i] << 16;
        if (rest == 2)
            group |= in[i + 1] << 8;
        text += kBase64VariantAlphabet[(group >> 18) & 63];
        text += kBase64VariantAlphabet[(group >> 12) & 63];
        text += rest == 2 ? kBase64VariantAlphabet[(group >> 6) & 63] : kPad;
        text += kPad;
    }
    return text;
}

std::string decodeBase64Variant(const std::string& text)
{
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3 + 2);
    unsigned group = 0;
    int symbols = 0;
    for (char c : text) {
        int value = symbolValue(c);
        if (value < 0)
            break;
        group = (group << 6) | unsigned(value);
        if (++symbols == 4) {
            bytes += char((group >> 16) & 0xFF);
            bytes += char((group >> 8) & 0xFF);
            bytes += char(group & 0xFF);
            group = 0;
            symbols = 0;
        }
    }
    if (symbols > 0) {
        group <<= 6 * (4 - symbols);
        for (int k = 0; k < symbols - 1; ++k)
            bytes += char((group >> (16 - 8 * k)) & 0xFF);
    }
    return bytes;
}
