#pragma once

#include <QList>
#include <QString>
#include <QUrl>

class dbBeacon;
struct RFStation;

// The rich text of the map's information pane and the frequencies its links
// carry. Every text taken from a row (a database, a remote server, another
// user's spot, the broadcast schedule service) is escaped, so a name can neither break the pane's markup nor
// bring a link of its own.
namespace BeaconInfoText {

// " <b>CALL</b> : " then one frequency link per row (its target the frequency
// in Hz, its text the frequency in MHz), then a line break.
QString describeBeacon(const QString& callsign, const QList<dbBeacon*>& rows);

// " <b>NAME</b> : -QRG= " then the frequency link, the language and the
// broadcast's hours (UTC).
QString describeStation(const RFStation& station, qint64 frequency);

// A tool tip that shows the name as it stands: a name Qt would take for rich
// text is escaped and marked as rich text; any other name is kept as it is.
QString toolTip(const QString& name);

// The frequency a link tunes to: its whole text as a positive number of hertz;
// 0 for anything else.
qint64 linkFrequency(const QUrl& link);

// MHz to Hz, to the nearest hertz; 0 for a value no frequency can be.
qint64 hertzFromMegahertz(double megahertz);

} // namespace BeaconInfoText
