#pragma once

#include "lists/Bookmarks.h"
#include "ui/plotter/CPlotter.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>
#include <vector>

// A shown 600 x 400 plotter (overlay 180 rows, waterfall 220 rows below it) whose
// bins cover 192 kHz around 144.5 MHz and whose window shows the middle 96 kHz:
// with 1200 bins, column c of the window shows bin 300 + c, 160 Hz per column.
class PlotterFixture : public ::testing::Test
{
protected:
    static constexpr qint64 Centre = 144500000;
    static constexpr int Width = 600;
    static constexpr int Height = 400;
    static constexpr int OverlayRows = 180;
    static constexpr int Bins = 1200;
    static constexpr int FirstVisibleBin = 300;

    void SetUp() override
    {
        plotter.resize(Width, Height);
        plotter.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&plotter));
        plotter.setSampleRate(192000);
        plotter.setCenterFreq(Centre);
    }

    void TearDown() override
    {
        // The bookmark store is shared by the whole process: leave it as found.
        Bookmarks::instance()->removeUnlinkedInRange(Centre - 200000, Centre + 200000);
    }

    // A flat spectrum at level dB.
    static std::vector<double> flat(double level = -100.0) { return std::vector<double>(Bins, level); }

    // Hands a spectrum over; this also redraws a pending overlay.
    void feed(const std::vector<double>& bins)
    {
        plotter.setNewSpectrum(bins.data(), static_cast<int>(bins.size()));
    }
    void feed() { feed(flat()); }

    QRgb pixel(int x, int y) { return plotter.grab().toImage().pixel(x, y); }

    void move(QPoint pt, Qt::MouseButtons held = Qt::NoButton)
    {
        QMouseEvent event(QEvent::MouseMove, pt, Qt::NoButton, held, Qt::NoModifier);
        QApplication::sendEvent(&plotter, &event);
    }
    void press(QPoint pt, Qt::MouseButton button)
    {
        QMouseEvent event(QEvent::MouseButtonPress, pt, button, button, Qt::NoModifier);
        QApplication::sendEvent(&plotter, &event);
    }
    void release(QPoint pt, Qt::MouseButton button)
    {
        QMouseEvent event(QEvent::MouseButtonRelease, pt, button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&plotter, &event);
    }
    void wheel(QPoint pt, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWheelEvent event(pt, plotter.mapToGlobal(pt), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&plotter, &event);
    }

    static BookmarkEntry bookmark(qint64 frequency, const QString& name, float distance = 0, int key = 0)
    {
        BookmarkEntry entry;
        entry.frequency = frequency;
        entry.name = name;
        entry.distance = distance;
        entry.scheduleKey = key;
        return entry;
    }

    CPlotter plotter;
};
