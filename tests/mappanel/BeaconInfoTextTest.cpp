// The information pane's text and the frequencies its links tune to.
#include "mappanel/BeaconInfoText.h"

#include "lists/dbBeacon.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace {

std::unique_ptr<dbBeacon> row(qint64 hertz, const QString& type = QString(), const QString& subtype = QString())
{
    auto beacon = std::make_unique<dbBeacon>();
    beacon->FREQ = quint64(hertz);
    beacon->BEACON_TYPE = type;
    beacon->BEACON_SUBTYPE = subtype;
    return beacon;
}

struct LinkCase
{
    const char* text;
    qint64 hertz;
};

class LinkFrequency : public ::testing::TestWithParam<LinkCase>
{
};

} // namespace

TEST(BeaconInfoText, OneLinkPerRowWithTheTypeWhenTheRowHasOne)
{
    auto plain = row(144000000);
    auto typed = row(432400000, "CW", "A1");
    EXPECT_EQ(BeaconInfoText::describeBeacon("F5ZZ", {plain.get(), typed.get()}),
              " <b>F5ZZ</b> :  QRG : <a href='144000000'>144.000 MHz</a>&nbsp;"
              "CW&nbsp;A1-QRG : <a href='432400000'>432.400 MHz</a>&nbsp;</br>");
}

TEST(BeaconInfoText, TextsFromRowsAreEscaped)
{
    auto typed = row(144000000, "<i>x</i>", "&");
    const QString text
        = BeaconInfoText::describeBeacon("<a href='7000000'>click</a>", {typed.get()});
    EXPECT_EQ(text, " <b>&lt;a href='7000000'&gt;click&lt;/a&gt;</b> : "
                    "&lt;i&gt;x&lt;/i&gt;&nbsp;&amp;-QRG : <a href='144000000'>144.000 MHz</a>&nbsp;</br>");
}

TEST_P(LinkFrequency, TunesOnlyToAWholePositiveNumber)
{
    EXPECT_EQ(BeaconInfoText::linkFrequency(QUrl(QString::fromUtf8(GetParam().text))), GetParam().hertz);
}

INSTANTIATE_TEST_SUITE_P(Cases, LinkFrequency,
                         ::testing::Values(LinkCase{"145000000", 145000000}, LinkCase{"1", 1},
                                           LinkCase{"0", 0}, LinkCase{"", 0}, LinkCase{"-7000000", 0},
                                           LinkCase{"+7000000", 0}, LinkCase{"7000000abc", 0},
                                           LinkCase{"javascript:alert(1)", 0}, LinkCase{"http://x/7", 0},
                                           LinkCase{"7.1", 0},
                                           LinkCase{"99999999999999999999999", 0}));

TEST(BeaconInfoText, MegahertzBecomeTheNearestHertz)
{
    EXPECT_EQ(BeaconInfoText::hertzFromMegahertz(1.001), 1001000);
    EXPECT_EQ(BeaconInfoText::hertzFromMegahertz(145.8), 145800000);
    EXPECT_EQ(BeaconInfoText::hertzFromMegahertz(2999.999), 2999999000LL);
    EXPECT_EQ(BeaconInfoText::hertzFromMegahertz(std::nan("")), 0);
    EXPECT_EQ(BeaconInfoText::hertzFromMegahertz(1e300), 0);
}
