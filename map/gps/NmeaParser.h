#pragma once

#include <QtGlobal>

// The values an NMEA 0183 receiver reports, in integer units. Each field holds
// its own "no value" marker until a sentence brings a value for it.
struct NmeaFix
{
    static constexpr quint32 NoTime = 0xFFFFFFFFu;
    static constexpr quint32 NoDate = 0;
    static constexpr qint32 NoAngle = 999999999;
    static constexpr qint32 NoAltitude = 999999999;
    static constexpr quint32 NoSpeed = 999999999;
    static constexpr quint32 NoCourse = 999999999;
    static constexpr quint32 NoHdop = 0xFFFFFFFFu;
    static constexpr quint16 NoSatellites = 255;

    quint32 time = NoTime;        // UTC as hhmmsscc (hundredths)
    quint32 date = NoDate;        // ddmmyy
    qint32 latitude = NoAngle;    // millionths of a degree, south negative
    qint32 longitude = NoAngle;   // millionths of a degree, west negative
    qint32 altitude = NoAltitude; // centimetres
    quint32 speed = NoSpeed;      // hundredths of a knot
    quint32 course = NoCourse;    // hundredths of a degree
    quint32 hdop = NoHdop;        // horizontal dilution of precision, hundredths
    quint16 satellites = NoSatellites;

    bool hasTime() const { return time != NoTime; }
    bool hasDate() const { return date != NoDate; }
    bool hasPosition() const { return latitude != NoAngle && longitude != NoAngle; }
    bool hasAltitude() const { return altitude != NoAltitude; }
};

// Reads NMEA 0183 text byte by byte and keeps what the GGA and RMC sentences
// of a GPS ("GP") or multi-system ("GN") receiver report. A sentence counts
// only when its checksum matches and it reports a valid fix; then each field
// it carried with a value in range replaces the one kept so far. A field that
// is missing, empty, malformed or out of range leaves the kept value alone, so
// a marker is never taken for a value. No allocation; any bytes are safe.
class NmeaParser
{
public:
    // Age of a value that was never committed.
    static constexpr quint32 NoAge = 0xFFFFFFFFu;

    // Takes one byte; true when it ended a sentence whose values were committed.
    bool feed(char c);

    // The committed values.
    const NmeaFix& fix() const { return m_fix; }
    // Sentences dropped so far for a checksum that is malformed or does not match.
    quint32 rejectedSentences() const { return m_rejected; }

    // Each output may be null. No clock runs, so an age is 0 once a value was
    // committed and NoAge before.
    void positionMicrodegrees(qint32* latitude, qint32* longitude, quint32* age) const;
    // year = yy + 2000 for yy <= 80, else yy + 1900. Date parts are 0 without a
    // date, time parts 0 without a time.
    void splitDateTime(int* year, quint8* month, quint8* day, quint8* hour, quint8* minute, quint8* second,
                       quint8* hundredths, quint32* age) const;
    // The committed date (ddmmyy) and time (hhmmsscc); the age is the time's.
    void dateAndTime(quint32* date, quint32* time, quint32* age) const;

    // The committed values in everyday units, each with its own "no value" figure.
    // Degrees, both 1000 without a position.
    void positionDegrees(float* latitude, float* longitude, quint32* age) const;
    // 1000000 without an altitude.
    float altitudeMetres() const;
    // 1000 without a course.
    float courseDegrees() const;
    // Each -1 without a speed.
    float speedKnots() const;
    float speedMph() const;
    float speedMetresPerSecond() const;
    float speedKmh() const;

    // Between two points given in degrees, on a sphere of radius 6372795 m.
    static float greatCircleDistance(float latitude1, float longitude1, float latitude2, float longitude2);
    // Degrees clockwise from north, 0 to 360, from point 1 towards point 2.
    static float initialCourse(float latitude1, float longitude1, float latitude2, float longitude2);
    // "N", "NNE", ... "NNW": the nearest of the 16 compass points to a course in degrees.
    static const char* compassPointName(float course);

private:
    enum class Sentence : quint8 { GGA, RMC, Other };
    static constexpr int TermCapacity = 14;

    // Ends the current field; true when it was a matching checksum of a valid fix.
    bool termComplete();
    bool checksumMatches() const;
    void takeField();
    void commit();

    NmeaFix m_fix;
    // Values gathered from the sentence being read; every field starts without one.
    NmeaFix m_new;
    // Hemisphere signs of the sentence: +1, -1, or 0 until its field is read.
    int m_latitudeSign = 0;
    int m_longitudeSign = 0;

    quint32 m_rejected = 0;
    // Between a '$' and the end of its checksum.
    bool m_inSentence = false;
    quint8 m_parity = 0;
    bool m_isChecksumTerm = false;
    char m_term[TermCapacity + 1] = {};
    Sentence m_sentence = Sentence::Other;
    quint8 m_termNumber = 0;
    quint8 m_termOffset = 0;
    bool m_dataGood = false;
};
