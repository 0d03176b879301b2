#include "BeaconInfoText.h"

#include "decoders/whatson/RFStation.h"
#include "lists/dbBeacon.h"

#include <QCoreApplication>
#include <QTextDocument>

#include <cmath>

namespace BeaconInfoText {

QString describeBeacon(const QString& callsign, const QList<dbBeacon*>& rows)
{
    QString text = " <b>" + callsign.toHtmlEscaped() + "</b> : ";
    for (const dbBeacon* row : rows) {
        const QString hertz = QString::number(row->FREQ);
        if (row->BEACON_TYPE.isEmpty())
            text += " QRG : <a href='" + hertz + "'>";
        else
            text += row->BEACON_TYPE.toHtmlEscaped() + "&nbsp;" + row->BEACON_SUBTYPE.toHtmlEscaped()
                    + "-QRG : <a href='" + hertz + "'>";
        text += QString::number(double(row->FREQ) / 1000000.0, 'f', 3) + " MHz</a>&nbsp;";
    }
    return text + "</br>";
}

QString describeStation(const RFStation& station, qint64 frequency)
{
    const QString hertz = QString::number(frequency);
    const QString hours = QStringLiteral("HH:mm");
    return " <b>" + station.bcast_name.toHtmlEscaped() + "</b> : -QRG= <a href='" + hertz + "'>"
           + QString::number(double(frequency) / 1000000.0, 'f', 3) + " MHz</a>&nbsp;"
           + QCoreApplication::translate("DemUI", "Langue :") + station.lang.toHtmlEscaped() + " &nbsp;"
           + QCoreApplication::translate("DemUI", "Horaires :") + station.startTime.toString(hours) + "->"
           + station.stopTime.toString(hours);
}

QString toolTip(const QString& name)
{
    return Qt::mightBeRichText(name) ? "<qt>" + name.toHtmlEscaped() + "</qt>" : name;
}

qint64 linkFrequency(const QUrl& link)
{
    const QString text = link.toString();
    if (text.isEmpty())
        return 0;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return 0;
    bool ok = false;
    const qint64 hertz = text.toLongLong(&ok);
    return ok && hertz > 0 ? hertz : 0;
}

qint64 hertzFromMegahertz(double megahertz)
{
    const double hertz = megahertz * 1000000.0;
    // A remote value that no frequency can be (not finite, beyond 64 bits) gives none.
    if (!std::isfinite(hertz) || std::fabs(hertz) > 9.0e18)
        return 0;
    return std::llround(hertz);
}

} // namespace BeaconInfoText
