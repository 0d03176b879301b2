#pragma once

#include <QString>

#include <memory>

class QSettings;
class ReceiverHardware;

// The board file: one INI file per receiver, "conf/tnrx_<name>.conf" in the
// application folder, that keeps what belongs to that receiver (converter,
// I/Q corrections, centre, gains, both channels' state). Every key lives in
// the group "Preferences". Like the program settings, each user opens the
// file anew, works on it and lets it go, which writes back what changed.
namespace BoardSettings {

constexpr const char* Group = "Preferences";

// Converter and corrections, written by start-up and the I/Q dialog.
constexpr const char* KeyLO = "LO";
constexpr const char* KeyInMin = "In_Min";
constexpr const char* KeyInMax = "In_Max";
constexpr const char* KeyGainI = "Gain_I";
constexpr const char* KeyGainQ = "Gain_Q";
constexpr const char* KeyGainC = "Gain_C";
constexpr const char* KeyPpmError = "ppmError";
// Receiver state, written by the engine.
constexpr const char* KeyCenter = "board_center_freq";

// Suffixes of the per-channel keys "Channel_<n><suffix>".
constexpr const char* ChannelNco = "_NCO";
constexpr const char* ChannelLowCut = "_LowCut";
constexpr const char* ChannelHighCut = "_HighCut";
constexpr const char* ChannelMod = "_Mod";
constexpr const char* ChannelSquelch = "_SQUELCH";

// The receiver's name as every user of the file reads it: the driver's text
// in the local 8-bit encoding, so that a name is always read back the way it
// was written.
QString receiverName(ReceiverHardware* hardware);

// "tnrx_" + name + ".conf". The name comes from a driver or from a remote
// server, so path separators, "..", characters that are not allowed in file
// names and control characters become "_": the file can never leave "conf".
// Plain names keep their file names.
QString fileName(const QString& receiverName);

// applicationDir() + "/conf/" + fileName(receiverName).
QString filePath(const QString& receiverName);

// The board file of the receiver, with the group "Preferences" entered.
std::unique_ptr<QSettings> open(const QString& receiverName);
std::unique_ptr<QSettings> open(ReceiverHardware* hardware);

// "Channel_" + n + suffix.
QString channelKey(int channel, const char* suffix);

// "GainRF" for a receiver with one gain stage, "GainRF_" + stage (counted from
// 1) for one with several.
QString gainKey(int stage, int stageCount);

// Converter and corrections as start-up reads them.
struct StartupValues
{
    qint64 lo = 0;
    qint64 inMin = 0;
    qint64 inMax = 0;
    double gainI = 1.0;
    double gainQ = 1.0;
    double gainC = 0.0;
    double ppmError = 0.0;
    bool converterMissing = false; // "LO" was missing: the converter keys were written
};

// Reads the converter keys and the corrections from an open board file. When
// "LO" is missing, "LO" = 0 and the receiver's range (hwMin, hwMax) are written
// as the converter; a missing correction is written with its default.
StartupValues readStartupValues(QSettings& settings, qint64 hwMin, qint64 hwMax);

// The stored receiver centre; 0 when missing or not a number (the receiver is
// then tuned to the middle of its range).
qint64 readCenter(QSettings& settings);

} // namespace BoardSettings
