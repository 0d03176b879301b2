#include "NmeaParser.h"

#include <cstring>

namespace {

constexpr qint32 MaxLatitude = 90000000;
constexpr qint32 MaxLongitude = 180000000;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The leading digits as a number; false when the text starts with no digit.
// A field holds at most 14 characters, so the value fits.
bool leadingNumber(const char*& text, qint64* value)
{
    if (!isDigit(*text))
        return false;
    qint64 number = 0;
    while (isDigit(*text))
        number = number * 10 + (*text++ - '0');
    *value = number;
    return true;
}

// "-12.345" as -1234: an optional sign, the whole part, then at most two
// decimals (further characters are ignored). False without any digit.
bool decimalHundredths(const char* text, qint64* value)
{
    const bool negative = *text == '-';
    if (negative)
        ++text;
    qint64 whole = 0;
    bool digits = leadingNumber(text, &whole);
    qint64 hundredths = whole * 100;
    if (*text == '.') {
        ++text;
        if (isDigit(*text)) {
            digits = true;
            hundredths += 10 * (*text++ - '0');
            if (isDigit(*text))
                hundredths += *text - '0';
        }
    }
    if (!digits)
        return false;
    *value = negative ? -hundredths : hundredths;
    return true;
}

// "dddmm.mmmmm" as millionths of a degree, rounded from hundred-thousandths
// of a minute. False without digits or with 60 minutes or more.
bool degreesMicro(const char* text, qint64* value)
{
    qint64 whole = 0;
    if (!leadingNumber(text, &whole) || whole % 100 >= 60)
        return false;
    qint64 minutes = (whole % 100) * 100000;
    if (*text == '.') {
        ++text;
        for (qint64 weight = 10000; weight > 0 && isDigit(*text); weight /= 10)
            minutes += weight * (*text++ - '0');
    }
    *value = (whole / 100) * 1000000 + (minutes + 3) / 6;
    return true;
}

// hhmmsscc with a real hour, minute and second (60 for a leap second).
bool isTimeOfDay(qint64 t)
{
    return t >= 0 && t / 1000000 < 24 && t / 10000 % 100 < 60 && t / 100 % 100 <= 60;
}

// ddmmyy with a real day and month.
bool isDate(qint64 d)
{
    const qint64 day = d / 10000;
    const qint64 month = d / 100 % 100;
    return d < 1000000 && day >= 1 && day <= 31 && month >= 1 && month <= 12;
}

} // namespace

bool NmeaParser::feed(char c)
{
    switch (c) {
    case '$':
        m_termOffset = 0;
        m_termNumber = 0;
        m_parity = 0;
        m_sentence = Sentence::Other;
        m_isChecksumTerm = false;
        m_dataGood = false;
        m_inSentence = true;
        m_new = NmeaFix();
        m_latitudeSign = 0;
        m_longitudeSign = 0;
        return false;
    case '\0':
        return false;
    case ',':
        m_parity ^= quint8(c);
        [[fallthrough]];
    case '\r':
    case '\n':
    case '*': {
        m_term[m_termOffset] = '\0';
        const bool committed = termComplete();
        if (m_termNumber < 255)
            ++m_termNumber;
        m_termOffset = 0;
        m_isChecksumTerm = c == '*';
        return committed;
    }
    default:
        if (m_termOffset < TermCapacity)
            m_term[m_termOffset++] = c;
        if (!m_isChecksumTerm)
            m_parity ^= quint8(c);
        return false;
    }
}

bool NmeaParser::termComplete()
{
    if (m_isChecksumTerm) {
        const bool matches = checksumMatches();
        if (m_inSentence && !matches)
            ++m_rejected;
        const bool good = m_dataGood && matches;
        if (good)
            commit();
        // The sentence ends here: nothing after the checksum counts.
        m_inSentence = false;
        m_dataGood = false;
        m_sentence = Sentence::Other;
        return good;
    }
    if (m_termNumber == 0) {
        if (!std::strcmp(m_term, "GPGGA") || !std::strcmp(m_term, "GNGGA"))
            m_sentence = Sentence::GGA;
        else if (!std::strcmp(m_term, "GPRMC") || !std::strcmp(m_term, "GNRMC"))
            m_sentence = Sentence::RMC;
        else
            m_sentence = Sentence::Other;
        return false;
    }
    if (m_sentence != Sentence::Other && m_term[0] != '\0')
        takeField();
    return false;
}

bool NmeaParser::checksumMatches() const
{
    if (m_termOffset != 2)
        return false;
    const int high = hexValue(m_term[0]);
    const int low = hexValue(m_term[1]);
    return high >= 0 && low >= 0 && high * 16 + low == m_parity;
}

void NmeaParser::takeField()
{
    // Fields by meaning; the two sentences put them at different numbers.
    enum Field {
        Time,
        Status,
        Latitude,
        NorthSouth,
        Longitude,
        EastWest,
        Quality,
        Satellites,
        Hdop,
        Altitude,
        Speed,
        Course,
        Date,
        Unused
    };
    static const Field gga[] = {Unused,   Time,    Latitude,   NorthSouth, Longitude,
                                EastWest, Quality, Satellites, Hdop,       Altitude};
    static const Field rmc[] = {Unused,    Time,     Status, Latitude, NorthSouth,
                                Longitude, EastWest, Speed,  Course,   Date};
    if (m_termNumber >= sizeof(gga) / sizeof(gga[0]))
        return;
    const Field field = m_sentence == Sentence::GGA ? gga[m_termNumber] : rmc[m_termNumber];
    const char* text = m_term;
    qint64 value = 0;
    switch (field) {
    case Time:
        if (decimalHundredths(text, &value) && isTimeOfDay(value))
            m_new.time = quint32(value);
        break;
    case Status:
        m_dataGood = text[0] == 'A';
        break;
    case Quality:
        m_dataGood = text[0] > '0';
        break;
    case Latitude:
        if (degreesMicro(text, &value) && value <= MaxLatitude)
            m_new.latitude = qint32(value);
        break;
    case Longitude:
        if (degreesMicro(text, &value) && value <= MaxLongitude)
            m_new.longitude = qint32(value);
        break;
    case NorthSouth:
        m_latitudeSign = !std::strcmp(text, "N") ? 1 : !std::strcmp(text, "S") ? -1 : 0;
        break;
    case EastWest:
        m_longitudeSign = !std::strcmp(text, "E") ? 1 : !std::strcmp(text, "W") ? -1 : 0;
        break;
    case Satellites:
        if (leadingNumber(text, &value))
            m_new.satellites = quint16(value & 0xFF);
        break;
    case Hdop:
        if (decimalHundredths(text, &value) && value >= 0 && value < qint64(NmeaFix::NoHdop))
            m_new.hdop = quint32(value);
        break;
    case Altitude:
        if (decimalHundredths(text, &value) && value > -NmeaFix::NoAltitude && value < NmeaFix::NoAltitude)
            m_new.altitude = qint32(value);
        break;
    case Speed:
        if (decimalHundredths(text, &value) && value >= 0 && value < NmeaFix::NoSpeed)
            m_new.speed = quint32(value);
        break;
    case Course:
        if (decimalHundredths(text, &value) && value >= 0 && value < NmeaFix::NoCourse)
            m_new.course = quint32(value);
        break;
    case Date:
        if (leadingNumber(text, &value) && isDate(value))
            m_new.date = quint32(value);
        break;
    case Unused:
        break;
    }
}

void NmeaParser::commit()
{
    if (m_new.hasTime())
        m_fix.time = m_new.time;
    // A position needs both coordinates with their hemispheres.
    if (m_new.hasPosition() && m_latitudeSign != 0 && m_longitudeSign != 0) {
        m_fix.latitude = m_latitudeSign * m_new.latitude;
        m_fix.longitude = m_longitudeSign * m_new.longitude;
    }
    if (m_sentence == Sentence::GGA) {
        if (m_new.hasAltitude())
            m_fix.altitude = m_new.altitude;
        if (m_new.satellites != NmeaFix::NoSatellites)
            m_fix.satellites = m_new.satellites;
        if (m_new.hdop != NmeaFix::NoHdop)
            m_fix.hdop = m_new.hdop;
    } else {
        if (m_new.hasDate())
            m_fix.date = m_new.date;
        if (m_new.speed != NmeaFix::NoSpeed)
            m_fix.speed = m_new.speed;
        if (m_new.course != NmeaFix::NoCourse)
            m_fix.course = m_new.course;
    }
}

void NmeaParser::positionMicrodegrees(qint32* latitude, qint32* longitude, quint32* age) const
{
    if (latitude)
        *latitude = m_fix.latitude;
    if (longitude)
        *longitude = m_fix.longitude;
    if (age)
        *age = m_fix.hasPosition() ? 0 : NoAge;
}

void NmeaParser::splitDateTime(int* year, quint8* month, quint8* day, quint8* hour, quint8* minute,
                               quint8* second, quint8* hundredths, quint32* age) const
{
    const quint32 d = m_fix.date;
    const quint32 t = m_fix.hasTime() ? m_fix.time : 0;
    if (year) {
        const int yy = int(d % 100);
        *year = !m_fix.hasDate() ? 0 : yy <= 80 ? yy + 2000 : yy + 1900;
    }
    if (month)
        *month = quint8(d / 100 % 100);
    if (day)
        *day = quint8(d / 10000);
    if (hour)
        *hour = quint8(t / 1000000);
    if (minute)
        *minute = quint8(t / 10000 % 100);
    if (second)
        *second = quint8(t / 100 % 100);
    if (hundredths)
        *hundredths = quint8(t % 100);
    if (age)
        *age = m_fix.hasTime() ? 0 : NoAge;
}
