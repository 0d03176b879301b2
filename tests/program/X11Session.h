#pragma once

#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

// A private X server (Xvfb) for one test, and the user's hands on it: xdotool
// to find windows, move the pointer, click and type, a screenshot to find
// controls by their colours, and the close request a window manager sends
// when the user clicks a window's close button.
class X11Session
{
public:
    X11Session();
    ~X11Session();
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    bool running() const { return m_display >= 0; }
    QString display() const { return ":" + QString::number(m_display); }

    // The first visible window whose name contains name, waiting up to timeoutMs; 0 when none.
    qulonglong waitForWindow(const QString& name, int timeoutMs);
    QRect geometry(qulonglong window);
    void focus(qulonglong window);
    // A left click at x, y relative to the window.
    void click(qulonglong window, int x, int y);
    void movePointer(qulonglong window, int x, int y);
    void key(const QString& keys);
    void type(const QString& text);
    QImage screenshot(qulonglong window);
    // WM_DELETE_WINDOW, as a window manager sends it.
    bool requestClose(qulonglong window);

private:
    QString xdotool(const QStringList& arguments, int timeoutMs = 10000);

    int m_display = -1;
    QProcess m_server;
};

// Where a colour sits in a picture.
namespace ScreenColours {

// Bounding boxes of the 4-connected regions of exactly this colour with at least minPixels pixels.
QList<QRect> blobs(const QImage& image, QRgb colour, int minPixels);
// The longest horizontal run of this colour in row y, as [left, right].
std::pair<int, int> longestRun(const QImage& image, int y, QRgb colour);

} // namespace ScreenColours
