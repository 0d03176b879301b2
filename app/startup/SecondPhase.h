#pragma once

#include <QList>
#include <QtGlobal>

struct StartupFrame;
class QObject;
class ReceiverHardware;
class dbRadioSegment;

// The start-up's second phase: the receiver choice and everything built around
// it, up to the end of the event loop. Returns the program's exit code: 0 when
// no receiver was chosen, else the event loop's result.
int runSecondPhase(StartupFrame& frame);

// Steps of the phase, each usable on its own.
namespace SecondPhase {

// The sound card a sound-card receiver listens to: the device dialog, with the
// receiver's "audioInputName" preselected, then the choice handed back to it.
void chooseSoundInput(ReceiverHardware* receiver);

// The board file of a local receiver: written with its defaults when it has
// none; a converter with an LO above 0 is attached when the user accepts it
// (a question in frame.messageBox); the I/Q corrections go to the receiver.
void loadBoardFile(StartupFrame& frame, ReceiverHardware* receiver);

// The band plan of the receiver's range (the converter's input range when one
// is attached), from the remote server or from the database. Each segment adds
// its two edges to the bookmark store. The rows are made with parent owner.
QList<dbRadioSegment*> loadBandPlan(ReceiverHardware* receiver, QObject* owner);

// Whether a segment from start to stop touches [low, high] (ends included).
bool segmentInRange(qint64 start, qint64 stop, qint64 low, qint64 high);

} // namespace SecondPhase
