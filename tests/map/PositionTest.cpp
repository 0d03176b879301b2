#include "map/geo/Position.h"

#include <QBuffer>
#include <QDataStream>
#include <QDebug>
#include <cmath>
#include <gtest/gtest.h>

TEST(Position, EqualityToleratesRoundingInAnglesButNotInAltitude)
{
    EXPECT_EQ(Position(2.5, 48.8, 10.0), Position(2.5 + 1e-13, 48.8 - 1e-13, 10.0));
    EXPECT_NE(Position(2.5, 48.8, 0.0), Position(2.5, 48.8, 1e-9));
    EXPECT_NE(Position(2.5, 48.8, 0.0), Position(2.5 + 1e-11, 48.8, 0.0));
}

TEST(Position, ConstructorsKeepLongitudeFirst)
{
    const Position fromPoint(QPointF(2.5, 48.8), 120.0);
    EXPECT_EQ(fromPoint, Position(2.5, 48.8, 120.0));
    EXPECT_EQ(fromPoint.lonLat(), QPointF(2.5, 48.8));
    EXPECT_EQ(Position(), Position(0.0, 0.0, 0.0));
}

TEST(Position, HashIsTheTruncatedSum)
{
    EXPECT_EQ(qHash(Position(1.9, 1.9, 0.0)), 3u);
    EXPECT_EQ(qHash(Position(3.0, 0.5, 0.0)), 3u);
    EXPECT_EQ(qHash(Position(-2.5, 0.0, 0.0)), static_cast<uint>(-2));
}

TEST(Position, DebugTextShowsLongitudeAndLatitudeOnly)
{
    QString text;
    QDebug(&text) << Position(2.5, 48, 100);
    EXPECT_EQ(text.trimmed(), "(2.5,48)");
    text.clear();
    QDebug(&text) << Position(2.123456789012, -0.5, 0);
    EXPECT_EQ(text.trimmed(), "(2.123456789,-0.5)");
}

TEST(Position, DataStreamRoundTripsThreeDoublesLongitudeFirst)
{
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << Position(2.5, 48.8, 35.25);
    }
    ASSERT_EQ(bytes.size(), 24);
    QDataStream raw(bytes);
    double first = 0.0;
    raw >> first;
    EXPECT_EQ(first, 2.5);

    QDataStream in(bytes);
    Position back;
    in >> back;
    EXPECT_EQ(back, Position(2.5, 48.8, 35.25));
}

TEST(Position, FlatOffsetsAreMetresEastAndNorth)
{
    const Position start(2.5, 48.8, 300.0);
    const Position moved = start.flatOffsetToPosition(QPointF(1000.0, -2000.0));
    EXPECT_EQ(moved.altitude(), 0.0);
    EXPECT_GT(moved.longitude(), start.longitude());
    EXPECT_LT(moved.latitude(), start.latitude());

    const QVector2D offset = start.flatOffsetTo(moved);
    EXPECT_NEAR(offset.x(), 1000.0, 1.0);
    EXPECT_NEAR(offset.y(), -2000.0, 1.0);
    EXPECT_NEAR(start.flatDistanceEstimate(moved), std::hypot(1000.0, 2000.0), 1.0);
    EXPECT_NEAR(start.flatTaxicabEstimate(moved), 3000.0, 1.0);
    EXPECT_NEAR(start.flatAngleTo(moved), std::atan2(-2000.0, 1000.0), 1e-3);
}
