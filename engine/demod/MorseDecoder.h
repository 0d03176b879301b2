#pragma once

#include <QString>

// Decodes Morse code from a stream of level values, one value per call: it tracks
// the level range to place a mark/space threshold, measures mark and space runs
// against an adaptive dot length, and turns the elements into characters.
class MorseDecoder
{
public:
    enum Element { Dot = 1, Dash = 2, ElementGap = 3, LetterGap = 4, WordGap = 16 };

    MorseDecoder();

    // Forgets the level range (the dot length and the letter in progress stay).
    void resetLevels();
    void process(float level);

    // The characters decoded so far, and the elements as ".", "-", "|" and "_" (the
    // last kTraceLength of each).
    const QString& text() const { return decodedText; }
    const QString& elementTrace() const { return trace; }
    int dotLength() const { return ditLength; }

    // The character of a code (a leading 1, then 1 for a dot, 0 for a dash); "*"
    // for an unknown code.
    static QChar lookup(int code);

    static constexpr int kTraceLength = 256;

private:
    enum State { ReadyForElement = 32, AfterElement = 64 };

    void trackRange(float level);
    void classifyMark(int run);
    void classifySpace(int run);
    void handle(Element element);
    static void append(QString& text, QChar c);

    float minLevel = 0.0f;
    float maxLevel = -200.0f;
    float threshold = 0.0f;
    int ditLength = 1;
    int decoderState = ReadyForElement;
    int morseCode = 1;
    int runLength = 0;
    bool inMark = false;
    QString decodedText;
    QString trace;
};
