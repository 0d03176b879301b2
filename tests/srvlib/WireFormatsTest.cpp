// Texts of the server's wire: variant base-64, numbers, path texts and the
// machine identity.
#include "SrvTestSupport.h"

#include "srvlib/Base64Variant.h"
#include "srvlib/MachineIdentity.h"
#include "srvlib/WireText.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

namespace {

std::string bytes0To31()
{
    std::string key;
    for (int i = 0; i < 32; ++i)
        key += char(i);
    return key;
}

} // namespace

TEST(Base64Variant, EncodesAndDecodesKnownVectors)
{
    struct Case
    {
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"", ""},
        {"a", "YQ__"},
        {"ab", "YWI_"},
        {"abc", "YWJj"},
        {"Hello", "SGVsbG8_"},
        {"\xFB\xFF\xFE", "$**$"},
        {bytes0To31(), "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8_"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(encodeBase64Variant(c.bytes.data(), unsigned(c.bytes.size())), c.text) << c.text;
        EXPECT_EQ(decodeBase64Variant(c.text), c.bytes) << c.text;
    }
}

TEST(Base64Variant, AgreesWithTheServersEncoderOnEveryByte)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += char(i);
    for (size_t length = 0; length < 8; ++length) {
        std::string part = all.substr(100, length) + all;
        std::string text = encodeBase64Variant(part.data(), unsigned(part.size()));
        EXPECT_EQ(text, fakeserver::toVariantBase64(part));
        EXPECT_EQ(decodeBase64Variant(text), part);
    }
}

TEST(Base64Variant, DecodingStopsAtPadOrForeignCharacter)
{
    const char* texts[] = {"YWJj_Zm9v", "YWJj Zm9v", "YWJj+Zm9v", "YWJj=Zm9v", "YWJj"};
    for (const char* text : texts)
        EXPECT_EQ(decodeBase64Variant(text), "abc") << text;
    // A trailing group of j symbols gives j - 1 bytes; one symbol gives nothing.
    EXPECT_EQ(decodeBase64Variant("YWJjY"), "abc");
    EXPECT_EQ(decodeBase64Variant("YWJjYQ"), "abca");
    EXPECT_EQ(decodeBase64Variant("YWI"), "ab");
}

TEST(WireNumbers, ReadDecimalsWithPointOrCommaInAnyLocale)
{
    CommaLocale comma;
    struct Case
    {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {"145.800", 145.8}, {"145,800", 145.8}, {" -1.5", -1.5}, {"+2.25", 2.25},
        {"12abc", 12.0},    {"", 0.0},          {"abc", 0.0},    {"1e3", 1000.0},
        // No finite number reads as 0, like no number at all.
        {"nan", 0.0},       {"-inf", 0.0},      {"1e400", 0.0},  {"infinity", 0.0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(parseWireDecimal(c.text), c.value) << c.text;
    double value = 7.0;
    EXPECT_FALSE(readWireDecimal("nan", &value));
    EXPECT_FALSE(readWireDecimal("", &value));
    EXPECT_EQ(value, 7.0);
    EXPECT_TRUE(readWireDecimal("0", &value));
    EXPECT_EQ(value, 0.0);
    EXPECT_EQ(parseWireInt("2048000"), 2048000);
    EXPECT_EQ(parseWireInt("12.7"), 12);
    EXPECT_EQ(parseWireInt("x"), 0);
    EXPECT_EQ(parseWireInt("99999999999"), 2147483647);
}

TEST(WireNumbers, MegahertzRoundToTheNearestHertz)
{
    struct Case
    {
        double mhz;
        int64_t hz;
    };
    const Case cases[] = {
        {145.8, 145800000},   {145.8005, 145800500}, {1.001, 1001000},       {129.003, 129003000},
        {2400.0, 2400000000}, {-0.5, -500000},       {10368.1, 10368100000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mhzToHz(c.mhz), c.hz) << c.mhz;
    EXPECT_EQ(mhzToHz(std::nan("")), 0);
    EXPECT_EQ(mhzToHz(1e300), 0);
}

TEST(WireNumbers, FormatWithAPointUnderACommaLocale)
{
    CommaLocale comma;
    EXPECT_EQ(formatFixed(145.5, 3), "145.500");
    EXPECT_EQ(formatFixed(20.0, 1), "20.0");
    EXPECT_EQ(formatFixed(-0.25, 1), "-0.2"); // printf rounds the binary value, half to even
    EXPECT_EQ(formatFixed(145800500 / 1e6, 3), "145.800");
}

TEST(WirePathText, EncodesEverythingThatWouldChangeThePath)
{
    EXPECT_EQ(encodePathText("ALICE"), "ALICE");
    EXPECT_EQ(encodePathText("*"), "*");
    EXPECT_EQ(encodePathText("F4ABC/P"), "F4ABC%2FP");
    EXPECT_EQ(encodePathText("a b?c#d%e"), "a%20b%3Fc%23d%25e");
    EXPECT_EQ(encodePathText("Zoé"), "Zo%C3%A9");
    EXPECT_EQ(fakeserver::decodePercent(encodePathText("x/y z%")), "x/y z%");
}

TEST(MachineIdentity, TakesTheFirstQualifyingAdapter)
{
    auto adapter = [](std::initializer_list<unsigned char> bytes) {
        PlatformAdapter a{};
        unsigned i = 0;
        for (unsigned char b : bytes)
            a.address[i++] = b;
        a.addressLength = i;
        return a;
    };
    struct Case
    {
        std::vector<PlatformAdapter> adapters;
        const char* text;
    };
    const Case cases[] = {
        {{}, "00-00-00-00-00-00"},
        {{adapter({0x08, 0x11, 0x22, 0x33, 0x44, 0x55})}, "00-00-00-00-00-00"},
        {{adapter({0x00, 0x00, 0, 0, 0, 0}), adapter({0x08, 1, 2, 3, 4, 5})}, "00-00-00-00-00-00"},
        {{adapter({0x08, 1, 2, 3, 4, 5}), adapter({0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0x0f})},
         "AA-BB-CC-DD-EE-0F"},
        {{adapter({0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}), adapter({0xaa, 0xbb, 1, 2, 3, 4})},
         "00-1A-2B-3C-4D-5E"},
    };
    for (const Case& c : cases) {
        unsigned char out[8];
        std::memset(out, 0x77, sizeof out);
        chooseAdapterAddress(c.adapters.data(), int(c.adapters.size()), out);
        EXPECT_EQ(adapterAddressText(out), c.text);
    }
}

TEST(MachineIdentity, IsStableBetweenCalls)
{
    unsigned char first[8], second[8];
    getAdapterAddress(first);
    getAdapterAddress(second);
    EXPECT_EQ(adapterAddressText(first), adapterAddressText(second));
    EXPECT_EQ(adapterAddressText(first).size(), 17u);
}
