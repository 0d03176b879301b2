#include "engine/demod/MorseDecoder.h"

#include <QDebug>
#include <QHash>

namespace {

int encode(const char* pattern)
{
    int code = 1;
    for (const char* p = pattern; *p; ++p)
        code = code * 2 + (*p == '.' ? 1 : 0);
    return code;
}

QHash<int, QChar> buildTable()
{
    static const char* const letters[] = {
        ".-", "-...", "-.-.", "-..",  ".",   "..-.", "--.", "....", "..",   ".---", "-.-",  ".-..", "--",
        "-.", "---",  ".--.", "--.-", ".-.", "...",  "-",   "..-",  "...-", ".--",  "-..-", "-.--", "--.."};
    static const char* const digits[] = {".----", "..---", "...--", "....-", ".....",
                                         "-....", "--...", "---..", "----.", "-----"};
    static const char signs[] = ".,:?'-/(\";$#<!@]=~ ";
    static const int signCodes[] = {106, 76, 71,  115, 97, 94, 45, 82,  109, 85,
                                    246, 53, 122, 42,  55, 41, 46, 255, 1};
    QHash<int, QChar> table;
    for (int i = 0; i < 26; ++i)
        table.insert(encode(letters[i]), QChar('A' + i));
    for (int i = 0; i < 10; ++i)
        table.insert(encode(digits[i]), QChar(i == 9 ? '0' : '1' + i));
    for (int i = 0; i < 19; ++i)
        if (!table.contains(signCodes[i]))
            table.insert(signCodes[i], QChar(signs[i]));
    return table;
}

} // namespace

MorseDecoder::MorseDecoder() = default;

void MorseDecoder::resetLevels()
{
    minLevel = 0.0f;
    maxLevel = -200.0f;
    threshold = -100.0f;
}

QChar MorseDecoder::lookup(int code)
{
    static const QHash<int, QChar> table = buildTable();
    return table.value(code, QChar('*'));
}

void MorseDecoder::append(QString& text, QChar c)
{
    text.append(c);
    if (text.size() > kTraceLength)
        text.remove(0, text.size() - kTraceLength);
}

void MorseDecoder::trackRange(float level)
{
    bool moved = false;
    if (level < minLevel) {
        minLevel = level;
        moved = true;
    }
    if (level > maxLevel) {
        maxLevel = level;
        moved = true;
    }
    if (moved || maxLevel - minLevel < 5.0f) {
        if (maxLevel - minLevel < 5.0f) {
            minLevel -= 2.0f;
            maxLevel += 2.0f;
        }
        threshold = 0.2f * (minLevel + (maxLevel - minLevel) / 2.0f) + 0.8f * threshold;
    }
}

void MorseDecoder::process(float level)
{
    trackRange(level);
    ++runLength;
    if (level > threshold) {
        maxLevel = 0.9f * maxLevel + 0.1f * level;
        if (!inMark) {
            classifySpace(runLength);
            if (runLength > 4 * ditLength)
                ++ditLength;
            else if (runLength < ditLength && ditLength > 1)
                --ditLength;
            runLength = 0;
            inMark = true;
        }
        return;
    }
    minLevel = 0.9f * minLevel + 0.1f * level;
    if (inMark) {
        classifyMark(runLength);
        if (runLength < ditLength && ditLength > 1)
            --ditLength;
        runLength = 0;
        inMark = false;
    } else if (runLength > 5 * ditLength) {
        threshold = 0.8f * threshold + 0.2f * level;
        classifySpace(runLength);
        runLength = 0;
    }
}

void MorseDecoder::classifyMark(int run)
{
    if (run <= 2 * ditLength) {
        handle(Dot);
        return;
    }
    if (run > 5 * ditLength)
        ++ditLength;
    handle(Dash);
}

void MorseDecoder::classifySpace(int run)
{
    if (run > 5 * ditLength)
        handle(WordGap);
    else if (run > 2 * ditLength)
        handle(LetterGap);
    else
        handle(ElementGap);
}

void MorseDecoder::handle(Element element)
{
    switch (element) {
    case Dot:
        append(trace, '.');
        break;
    case Dash:
        append(trace, '-');
        break;
    case LetterGap:
        append(trace, '|');
        break;
    case WordGap:
        append(trace, '_');
        break;
    case ElementGap:
        break;
    }

    if (decoderState == ReadyForElement) {
        if (element == Dot || element == Dash) {
            morseCode = morseCode * 2 + (element == Dot ? 1 : 0);
            decoderState = AfterElement;
        }
        return;
    }
    switch (element) {
    case ElementGap:
        decoderState = ReadyForElement;
        break;
    case LetterGap: {
        const QChar c = lookup(morseCode);
        qDebug() << "MorseDecoder::handle()" << c;
        append(decodedText, c);
        morseCode = 1;
        decoderState = ReadyForElement;
        break;
    }
    case Dot:
        morseCode = 1;
        ++ditLength;
        decoderState = ReadyForElement;
        break;
    case Dash:
    case WordGap:
        break;
    }
}
