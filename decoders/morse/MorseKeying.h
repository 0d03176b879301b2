#pragma once

// Times marks and spaces in detector blocks and turns them into characters.
// One Morse unit lasts unitBlocks blocks: a mark shorter than two units is a
// dot, a longer one a dash; two units of silence end a character, five a word
// (printed as a space when the next mark starts, or after seven units).
// A mark of eight units or more is no Morse: it is dropped and the decoder
// waits for silence.
class MorseKeying
{
public:
    static constexpr int InitialUnitBlocks = 7;
    // Elements kept per character; a longer one decodes as "*".
    static constexpr int MaxElements = 8;

    // With speed adaptation the unit follows the measured keying speed (rising
    // from 7 up to 30 blocks, falling only while above 10).
    bool adaptiveSpeed = false;

    int unitBlocks() const { return unit; }

    // One detector block with or without tone: the character it completes, a
    // space for a word gap, or 0.
    char stateMachine(bool tone);

    // The character of a code (a leading 1, then 1 for a dot and 0 for a
    // dash), "*" when unknown; the code starts again at 1.
    static char codeToChar(int* code);

private:
    enum State {
        Start = 0,
        Mark = 1,
        ElementEnded = 2,
        ElementGap = 4,
        CharacterGap = 8,
        WordGap = 16,
        Idle = 32,
        LongMark = 64
    };

    void toMark();
    void classifyElement();
    void adaptSpeed();

    int unit = InitialUnitBlocks;
    int state = Start;
    int markCount = 0;
    int spaceCount = 0;
    int code = 1;
    int markSum = 0;
    int markUnits = 0;
    int gapSum = 0;
    int gapCount = 0;
};
