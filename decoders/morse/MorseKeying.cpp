#include "decoders/morse/MorseKeying.h"

#include "engine/demod/MorseDecoder.h"

#include <algorithm>

char MorseKeying::codeToChar(int* code)
{
    const char c = MorseDecoder::lookup(*code).toLatin1();
    *code = 1;
    return c;
}

void MorseKeying::toMark()
{
    spaceCount = 0;
    state = Mark;
}

void MorseKeying::classifyElement()
{
    const bool dot = markCount < 2 * unit;
    if (code < (1 << MaxElements)) // past MaxElements the code stays an unknown one
        code = code * 2 + (dot ? 1 : 0);
    markSum += markCount;
    markUnits += dot ? 1 : 3;
    markCount = 0;
}

void MorseKeying::adaptSpeed()
{
    if (adaptiveSpeed && markUnits && markSum && gapCount && gapSum) {
        const int error = (markSum + gapSum) / (markUnits + gapCount) - unit;
        if (unit > 10 && error < 0)
            --unit;
        if (unit < 30 && error > 0)
            ++unit;
    }
    markSum = 0;
    markUnits = 0;
    gapSum = 0;
    gapCount = 0;
}

char MorseKeying::stateMachine(bool tone)
{
    if (tone)
        ++markCount;
    else
        ++spaceCount;
    markCount = std::min(markCount, 8 * unit);
    spaceCount = std::min(spaceCount, 16 * unit);

    switch (state) {
    case Mark:
        if (tone) {
            if (markCount >= 8 * unit) {
                code = 1;
                spaceCount = 0;
                state = LongMark;
            }
        } else {
            spaceCount = 1;
            state = ElementEnded;
        }
        return 0;
    case ElementEnded:
        if (tone) {
            classifyElement();
            toMark();
        } else if (2 * spaceCount >= unit) {
            classifyElement();
            state = ElementGap;
        }
        return 0;
    case ElementGap:
        if (tone) {
            gapCount += 1;
            gapSum += spaceCount;
            toMark();
        } else if (spaceCount >= 2 * unit) {
            state = CharacterGap;
            return codeToChar(&code);
        }
        return 0;
    case CharacterGap:
        if (tone) {
            adaptSpeed();
            toMark();
        } else if (spaceCount >= 5 * unit) {
            state = WordGap;
        }
        return 0;
    case WordGap:
        if (tone) {
            adaptSpeed();
            toMark();
            return ' ';
        }
        if (spaceCount >= 7 * unit) {
            state = Idle;
            return ' ';
        }
        return 0;
    case Idle:
        if (tone)
            toMark();
        return 0;
    case LongMark:
        if (!tone) {
            spaceCount = 1;
            markCount = 0;
            state = Idle;
        }
        return 0;
    default:
        state = tone ? Mark : Idle;
        return 0;
    }
}
