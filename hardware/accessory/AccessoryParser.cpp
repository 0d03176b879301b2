#include "AccessoryParser.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

AccessoryMessage AccessoryParser::feed(char c)
{
    if (c == '<') {
        const AccessoryMessage done = completed();
        m_state = State::Opened;
        return done;
    }
    const int maxDigits = m_state == State::Frequency ? MaxFrequencyDigits : MaxDigits;
    if (isDigit(c) && (m_state == State::Rotor || m_state == State::Frequency || m_state == State::Step ||
                       m_state == State::IndicatorCode || m_state == State::IndicatorValue)) {
        if (takeDigit(c, maxDigits))
            return {};
        m_state = State::Idle;
        return {AccessoryMessage::Kind::Dropped, 0, 0};
    }
    switch (m_state) {
    case State::Idle:
        break;
    case State::Opened:
        startNumber();
        if (c == 'R')
            m_state = State::Rotor;
        else if (c == 'F')
            m_state = State::Frequency;
        else if (c == 'S')
            m_state = State::Step;
        else if (c == 'I')
            m_state = State::IndicatorCode;
        break;
    case State::Rotor:
        if (c == '>')
            m_state = State::RotorDone;
        break;
    case State::Frequency:
        if (c == ';')
            m_state = State::FrequencyDone;
        break;
    case State::FrequencyDone:
        if (c == '>') {
            m_state = State::Idle;
            return {AccessoryMessage::Kind::Frequency, m_number, 0};
        }
        break;
    case State::Step:
        if (c == '-')
            m_sign = -1;
        else if (c == '>')
            m_state = State::StepDone;
        break;
    case State::IndicatorCode:
        if (c == ':') {
            m_indicatorCode = int(m_number);
            m_number = 0;
            m_digits = 0;
            m_state = State::IndicatorValue;
        } else if (c == '>') {
            m_indicatorCode = int(m_number);
            m_number = 0;
            m_state = State::IndicatorDone;
        }
        break;
    case State::IndicatorValue:
        if (c == '>')
            m_state = State::IndicatorDone;
        break;
    case State::RotorDone:
    case State::StepDone:
    case State::IndicatorDone: {
        const AccessoryMessage done = completed();
        m_state = State::Idle;
        return done;
    }
    }
    return {};
}

AccessoryMessage AccessoryParser::completed() const
{
    switch (m_state) {
    case State::RotorDone:
        return {AccessoryMessage::Kind::Rotor, m_number, 0};
    case State::StepDone:
        return {AccessoryMessage::Kind::Step, m_sign * m_number, 0};
    case State::IndicatorDone:
        return {AccessoryMessage::Kind::Indicator, m_number, m_indicatorCode};
    default:
        return {};
    }
}

bool AccessoryParser::takeDigit(char c, int maxDigits)
{
    // Leading zeros do not count towards the cap.
    if (m_number == 0 && c == '0')
        return true;
    if (++m_digits > maxDigits)
        return false;
    m_number = m_number * 10 + (c - '0');
    return true;
}

void AccessoryParser::startNumber()
{
    m_number = 0;
    m_digits = 0;
    m_sign = 1;
    m_indicatorCode = 0;
}
