#include "ChatHtml.h"

#include "srvlib/WireText.h"

#include <QRegularExpression>
#include <QUrl>
#include <cmath>

namespace ChatHtml {

namespace {

// toHtmlEscaped leaves "'" alone, and the links are quoted with it.
QString escaped(const QString& text)
{
    return text.toHtmlEscaped().replace(QLatin1Char('\''), QStringLiteral("&#39;"));
}

} // namespace

QString userLink(const QString& user)
{
    const QString href = QString::fromLatin1(QUrl::toPercentEncoding(user));
    return QStringLiteral("<a href='@%1'>%2</a>").arg(href, escaped(user));
}

QString loginAnnouncement(const QString& alias)
{
    // Sent as written (not encoded): other clients recognise this exact form.
    return QStringLiteral("User <a href='@%1'>%1</a> logged in").arg(alias);
}

QString messageLine(const QString& from, const QString& msg)
{
    static const QRegularExpression announcement(
        QStringLiteral("^User <a href='@([^'<>]*)'>([^<>]*)</a> logged in$"));
    QString text = escaped(msg);
    QRegularExpressionMatch match = announcement.match(msg);
    if (match.hasMatch() && match.captured(1) == match.captured(2))
        text = QStringLiteral("User %1 logged in").arg(userLink(match.captured(1)));
    return userLink(from) + QStringLiteral(" > ") + text + QStringLiteral("<br/>");
}

QString spotLine(const QString& name, double freqMHz)
{
    const QString f = QString::number(freqMHz, 'f', 3);
    return QStringLiteral("New Frequency spotted : <a href='#%1'> %2 at : %1</a><br/>").arg(f, escaped(name));
}

Link parseLink(const QString& href)
{
    Link link;
    if (href.startsWith(QLatin1Char('@'))) {
        link.kind = Link::User;
        link.user = QUrl::fromPercentEncoding(href.mid(1).toUtf8());
    } else if (href.startsWith(QLatin1Char('#'))) {
        bool ok = false;
        const double mhz = href.mid(1).toDouble(&ok);
        const qint64 hz = ok && std::isfinite(mhz) && mhz > 0 ? mhzToHz(mhz) : 0;
        if (hz > 0) {
            link.kind = Link::Frequency;
            link.frequencyHz = hz;
        }
    }
    return link;
}

} // namespace ChatHtml
