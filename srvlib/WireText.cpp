#include "WireText.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

// The prefix that strtod would accept, with "," read as ".".
std::string numberPrefix(const char* text)
{
    std::string s;
    if (text == nullptr)
        return s;
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    if (*text == '+')
        ++text;
    for (; *text != '\0'; ++text)
        s += *text == ',' ? '.' : *text;
    return s;
}

} // namespace

bool readWireDecimal(const char* text, double* value)
{
    std::string s = numberPrefix(text);
    double parsed = 0.0;
    auto result = std::from_chars(s.data(), s.data() + s.size(), parsed, std::chars_format::general);
    if (result.ec != std::errc() || !std::isfinite(parsed))
        return false;
    *value = parsed;
    return true;
}

double parseWireDecimal(const char* text)
{
    // Out-of-range, non-finite and malformed texts read as 0, like a missing member.
    double value = 0.0;
    return readWireDecimal(text, &value) ? value : 0.0;
}

int parseWireInt(const char* text)
{
    std::string s = numberPrefix(text);
    long long value = 0;
    auto result = std::from_chars(s.data(), s.data() + s.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = !s.empty() && s[0] == '-' ? std::numeric_limits<long long>::min()
                                          : std::numeric_limits<long long>::max();
    else if (result.ec != std::errc())
        return 0;
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

int64_t mhzToHz(double mhz)
{
    double hz = std::nearbyint(mhz * 1e6);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!std::isfinite(hz) || std::fabs(hz) >= 9223372036854775808.0)
        return 0;
    return int64_t(hz);
}

std::string formatFixed(double value, int decimals)
{
    char text[400];
    auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc())
        return std::string();
    return std::string(text, result.ptr);
}

std::string encodePathText(const std::string& text)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '.' || c == '_' || c == '~' || c == '*';
        if (plain) {
            out += char(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}
