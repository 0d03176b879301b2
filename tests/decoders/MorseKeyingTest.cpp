// The Morse keying state machine fed scripted tone decisions, one per
// detector block.
#include "decoders/morse/MorseKeying.h"
#include "tests/fixtures/decoder_signals/MorseTape.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Tone decisions written as runs: "#14" is 14 blocks of tone, "_20" 20 of
// silence; runs separated by spaces.
std::string decode(MorseKeying& keying, const std::string& script)
{
    std::string out;
    size_t i = 0;
    while (i < script.size()) {
        if (script[i] == ' ') {
            ++i;
            continue;
        }
        const bool tone = script[i] == '#';
        size_t used = 0;
        const int blocks = std::stoi(script.substr(i + 1), &used);
        i += 1 + used;
        for (int b = 0; b < blocks; ++b)
            if (const char c = keying.stateMachine(tone))
                out += c;
    }
    return out;
}

// Text keyed with a unit of `unit` blocks, in standard timing.
std::string keyed(const std::string& text, int unit)
{
    std::string script = "_" + std::to_string(20 * unit);
    for (char c : text) {
        if (c == ' ') {
            script += " _" + std::to_string(4 * unit); // 3 already follow the letter
            continue;
        }
        for (char e : morsefixture::pattern(c))
            script += " #" + std::to_string(e == '.' ? unit : 3 * unit) + " _" + std::to_string(unit);
        script += " _" + std::to_string(2 * unit);
    }
    return script + " _" + std::to_string(20 * unit);
}

} // namespace

TEST(MorseKeying, MarksAreDotsBelowTwoUnitsAndDashesFromTwoUnits)
{
    struct Case
    {
        const char* script;
        const char* text;
    };
    for (const Case c :
         {Case{"_50 #13 _60", "E "}, Case{"_50 #14 _60", "T "}, Case{"_50 #2 _60", "E "},
          Case{"_50 #55 _60", "T "}, Case{"_50 #7 _7 #21 _14", "A"}, Case{"_50 #21 _7 #7 _14", "N"}}) {
        MorseKeying keying;
        EXPECT_EQ(decode(keying, c.script), c.text) << c.script;
    }
}

TEST(MorseKeying, GapsEndCharactersAndWords)
{
    struct Case
    {
        const char* script;
        const char* text;
    };
    for (const Case c : {Case{"#7 _13 #7 _14", "I"},   // 13 blocks: still one character
                         Case{"#7 _14 #7 _14", "EE"},  // 2u: a new character
                         Case{"#7 _34 #7 _14", "EE"},  // under 5u: no word space
                         Case{"#7 _35 #7 _14", "E E"}, // 5u, then a mark: a word space
                         Case{"#7 _49", "E "},         // 7u of silence: one space
                         Case{"#7 _500", "E "},        // and no more however long
                         Case{"#7 _3 #7 _14", "I"}}) { // a short break inside a character
        MorseKeying keying;
        EXPECT_EQ(decode(keying, std::string("_30 ") + c.script), c.text) << c.script;
    }
}

TEST(MorseKeying, OverlongMarksAndCodesDecodeToNothingOrAStar)
{
    struct Case
    {
        const char* what;
        std::string script;
        const char* text;
    };
    const std::string sevenDots = "#7 _7 #7 _7 #7 _7 #7 _7 #7 _7 #7 _7 #7 _14";
    std::string fortyDots;
    for (int i = 0; i < 40; ++i)
        fortyDots += "#7 _7 ";
    for (const Case& c :
         {Case{"carrier of 8 units", "_30 #56 _30", ""},
          Case{"carrier, then a dot", "_30 #500 _60 #7 _14", "E"},
          Case{"seven dots", "_30 " + sevenDots, "~"}, Case{"eight dots", "_30 #7 _7 " + sevenDots, "*"},
          Case{"forty dots", "_30 " + fortyDots + "_14", "*"}}) {
        MorseKeying keying;
        EXPECT_EQ(decode(keying, c.script), c.text) << c.what;
    }
}

TEST(MorseKeying, KeyedTextAtTheFixedUnit)
{
    MorseKeying keying;
    EXPECT_EQ(decode(keying, keyed("CQ DE F4ABC 73", 7)), "CQ DE F4ABC 73 ");
    EXPECT_EQ(keying.unitBlocks(), 7);
}

TEST(MorseKeying, SpeedAdaptationFollowsTheKeying)
{
    struct Case
    {
        int unit;
        bool adaptive;
        int expectedUnit;
    };
    // Rises from 7 while the marks still read as dots and dashes.
    for (const Case c : {Case{12, false, 7}, Case{12, true, 12}, Case{5, true, 7}}) {
        MorseKeying keying;
        keying.adaptiveSpeed = c.adaptive;
        decode(keying, keyed("PARIS PARIS PARIS PARIS PARIS", c.unit));
        EXPECT_EQ(keying.unitBlocks(), c.expectedUnit) << c.unit;
    }
    // Falls only while above 10.
    MorseKeying keying;
    keying.adaptiveSpeed = true;
    decode(keying, keyed("PARIS PARIS PARIS PARIS", 12));
    ASSERT_EQ(keying.unitBlocks(), 12);
    EXPECT_EQ(decode(keying, keyed("PARIS PARIS PARIS PARIS", 8)), "PARIS PARIS PARIS PARIS ");
    EXPECT_EQ(keying.unitBlocks(), 10);
}
