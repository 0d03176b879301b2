#pragma once

#include <QtGlobal>

// One message from the accessory, as AccessoryParser::feed hands it out.
struct AccessoryMessage
{
    enum class Kind {
        None,      // nothing completed by this character
        Rotor,     // value: rotor step
        Frequency, // value: absolute frequency in Hz
        Step,      // value: signed step in Hz
        Indicator, // code: indicator number, value: its value
        Dropped    // a message whose number was too long was thrown away
    };
    Kind kind = Kind::None;
    qint64 value = 0;
    int code = 0;
};

// The accessory's bracketed ASCII messages, one character at a time:
//   <Rn>   rotor at step n
//   <Fn;>  receiver to the absolute frequency n Hz
//   <Sn>   step of n Hz, negative when a '-' stands among the digits
//   <Ia:b> indicator a gets value b; <Ia> gives it 0
// An R, S or I message is committed by the character that follows its '>',
// an F message at its '>'. A '<' anywhere ends the message being read
// (committing it when complete) and starts the next. Numbers are capped at
// MaxFrequencyDigits significant digits for F and MaxDigits otherwise; a
// longer number drops its message. Characters outside the grammar are skipped.
class AccessoryParser
{
public:
    static constexpr int MaxFrequencyDigits = 18;
    static constexpr int MaxDigits = 9;

    AccessoryMessage feed(char c);

private:
    enum class State {
        Idle,
        Opened,
        Rotor,
        RotorDone,
        Frequency,
        FrequencyDone, // after ';', waiting for '>'
        Step,
        StepDone,
        IndicatorCode,
        IndicatorValue,
        IndicatorDone
    };

    // The message waiting for its committing character, or None.
    AccessoryMessage completed() const;
    // Takes one digit into the number; false (and the message dropped) when it overflows.
    bool takeDigit(char c, int maxDigits);
    void startNumber();

    State m_state = State::Idle;
    qint64 m_number = 0;
    int m_digits = 0;
    int m_sign = 1;
    int m_indicatorCode = 0;
};
