// The chat view's HTML lines: remote texts escaped, links that read back to
// what they name, and the links a click acts on.
#include "ui/remoteui/ChatHtml.h"

#include <QRegularExpression>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// The href of the first link of a line, as the view hands it back on a click.
QString clickedHref(const QString& line)
{
    QRegularExpressionMatch m = QRegularExpression(QStringLiteral("href='([^']*)'")).match(line);
    return m.hasMatch() ? QUrl(m.captured(1)).toString(QUrl::FullyEncoded) : QString();
}

} // namespace

TEST(ChatHtmlTest, PlainMessageAndSpotLinesKeepTheirForm)
{
    EXPECT_EQ(ChatHtml::messageLine("ALPHA", "hi"), "<a href='@ALPHA'>ALPHA</a> > hi<br/>");
    EXPECT_EQ(ChatHtml::spotLine("NAME", 145.5),
              "New Frequency spotted : <a href='#145.500'> NAME at : 145.500</a><br/>");
    EXPECT_EQ(ChatHtml::loginAnnouncement("ALICE"), "User <a href='@ALICE'>ALICE</a> logged in");
}

TEST(ChatHtmlTest, RemoteTextsCannotAddMarkupOrLinks)
{
    struct Case
    {
        const char* from;
        const char* msg;
        const char* shownMsg;
    };
    const Case cases[] = {
        {"ALPHA", "<b>x</b> & y", "&lt;b&gt;x&lt;/b&gt; &amp; y"},
        {"ALPHA", "<a href='#1.0'>free</a>", "&lt;a href=&#39;#1.0&#39;&gt;free&lt;/a&gt;"},
        {"ALPHA", "<img src='file:///etc/passwd'>", "&lt;img src=&#39;file:///etc/passwd&#39;&gt;"},
        // An announcement whose two names differ is not one.
        {"ALPHA", "User <a href='@A'>B</a> logged in",
         "User &lt;a href=&#39;@A&#39;&gt;B&lt;/a&gt; logged in"},
    };
    for (const Case& c : cases) {
        const QString line = ChatHtml::messageLine(c.from, c.msg);
        EXPECT_EQ(line, QStringLiteral("<a href='@ALPHA'>ALPHA</a> > ") + c.shownMsg + "<br/>") << c.msg;
    }
    const QString forgedName = ChatHtml::messageLine("x'><a href='#1", "hi");
    EXPECT_EQ(forgedName.count("<a "), 1);
    EXPECT_TRUE(forgedName.contains("x&#39;&gt;&lt;a href=&#39;#1</a>"));
    const QString forgedSpot = ChatHtml::spotLine("<a href='#9.9'>", 7.0);
    EXPECT_EQ(forgedSpot.count("<a "), 1);
    EXPECT_EQ(clickedHref(forgedSpot), "#7.000");
}

TEST(ChatHtmlTest, AnotherClientsLoginAnnouncementKeepsItsUserLink)
{
    const QString line = ChatHtml::messageLine("Beamhost", ChatHtml::loginAnnouncement("BOB & CO"));
    EXPECT_EQ(
        line,
        "<a href='@Beamhost'>Beamhost</a> > User <a href='@BOB%20%26%20CO'>BOB &amp; CO</a> logged in<br/>");
}

TEST(ChatHtmlTest, UserLinksReadBackToTheirName)
{
    for (const QString& name :
         {QStringLiteral("ALPHA"), QStringLiteral("two words"), QStringLiteral("a#145.5"),
          QStringLiteral("it's <me>"), QStringLiteral("100%"), QStringLiteral("Émile/Zoé")}) {
        const ChatHtml::Link link = ChatHtml::parseLink(clickedHref(ChatHtml::userLink(name)));
        EXPECT_EQ(link.kind, ChatHtml::Link::User) << name.toStdString();
        EXPECT_EQ(link.user, name);
        EXPECT_EQ(link.frequencyHz, 0);
    }
}

TEST(ChatHtmlTest, FrequencyLinksTuneOnlyToAPositiveNumberRoundedToTheHertz)
{
    struct Case
    {
        const char* href;
        qint64 hz; // 0: the link does nothing
    };
    const Case cases[] = {
        {"#145.525", 145525000},
        {"#145.500", 145500000},
        {"#1.001", 1001000},
        {"#129.003", 129003000},
        {"#0.0000004", 0},
        {"#0", 0},
        {"#-5.000", 0},
        {"#abc", 0},
        {"#", 0},
        {"#inf", 0},
        {"#nan", 0},
        {"#1e300", 0},
        {"145.5", 0},
        {"", 0},
    };
    for (const Case& c : cases) {
        const ChatHtml::Link link = ChatHtml::parseLink(c.href);
        EXPECT_EQ(link.kind, c.hz > 0 ? ChatHtml::Link::Frequency : ChatHtml::Link::None) << c.href;
        EXPECT_EQ(link.frequencyHz, c.hz) << c.href;
    }
}
