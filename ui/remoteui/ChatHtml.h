#pragma once

#include <QString>

// The HTML lines of the chat view. Every text that came from the server is
// escaped, so a remote user can neither add markup nor forge links; names in
// links are percent-encoded, so any name makes a link that reads back intact.
namespace ChatHtml {

// "<a href='@name'>name</a>": a link that makes the user the recipient.
QString userLink(const QString& user);
// A user's message: "<user link> > text<br/>". The text is shown as written,
// except the login announcement of another client, which keeps its user link.
QString messageLine(const QString& from, const QString& msg);
// "New Frequency spotted : <a href='#MHz'> name at : MHz</a><br/>", MHz with three decimals.
QString spotLine(const QString& name, double freqMHz);
// The announcement this client sends when it joins: "User <user link> logged in".
QString loginAnnouncement(const QString& alias);

// What a clicked link asks for.
struct Link
{
    enum Kind { None, User, Frequency } kind = None;
    QString user;
    qint64 frequencyHz = 0;
};
// "@" + encoded name, or "#" + MHz (a finite number above 0, rounded to the
// hertz); anything else is None.
Link parseLink(const QString& href);

} // namespace ChatHtml
