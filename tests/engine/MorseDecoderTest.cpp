#include "engine/demod/MorseDecoder.h"
#include "engine/demod/RingBuffer.h"

#include <gtest/gtest.h>

#include <string>

TEST(MorseDecoder, LookupTable)
{
    struct Case
    {
        int code;
        QChar c;
    };
    for (const Case c : {Case{6, 'A'}, Case{0b11110, 'V'}, Case{0b111111, '5'}, Case{0b100000, '0'},
                         Case{106, '.'}, Case{76, ','}, Case{46, '='}, Case{82, '('}, Case{41, ']'},
                         Case{255, '~'}, Case{1, ' '}, Case{0b1111111, '*'}, Case{0, '*'}})
        EXPECT_EQ(MorseDecoder::lookup(c.code), c.c) << c.code;
}

TEST(MorseDecoder, DecodesKeyedLevels)
{
    // Levels in dB: -20 for key down, -60 for key up; a dot lasts 10 values.
    MorseDecoder decoder;
    std::string keying;
    const auto element = [&](const char* pattern) {
        for (const char* p = pattern; *p; ++p) {
            keying += std::string(*p == '.' ? 10 : 30, '#');
            keying += std::string(10, ' ');
        }
        keying += std::string(20, ' '); // three dots of space between letters
    };
    keying += std::string(100, ' ');
    for (int repeat = 0; repeat < 3; ++repeat)
        for (const char* letter : {"-.-.", "--.-"}) // C Q
            element(letter);
    for (char k : keying)
        decoder.process(k == '#' ? -20.0f : -60.0f);
    EXPECT_TRUE(decoder.text().contains("CQ"))
        << decoder.text().toStdString() << " / " << decoder.elementTrace().toStdString();
}

TEST(RingBuffer, FullEmptyAndOverwrite)
{
    RingBuffer<4> ring;
    EXPECT_TRUE(ring.isEmpty());
    EXPECT_EQ(ring.pop(), 0.0f);
    for (int i = 1; i <= 4; ++i)
        ring.push(float(i));
    EXPECT_TRUE(ring.isFull());
    EXPECT_EQ(ring.count(), 4u);
    ring.push(5.0f); // overwrites the oldest
    EXPECT_EQ(ring.count(), 4u);
    for (float expected : {2.0f, 3.0f, 4.0f, 5.0f})
        EXPECT_EQ(ring.pop(), expected);
    EXPECT_TRUE(ring.isEmpty());
    for (int i = 0; i < 11; ++i) { // indices wrap around twice the capacity
        ring.push(float(i));
        EXPECT_EQ(ring.pop(), float(i));
    }
}
