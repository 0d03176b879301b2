#pragma once

#include <QImage>
#include <QList>
#include <QProcess>
#include <QRect>
#include <QString>

// A private X server (Xvfb) for one run, and the user's hands on it: xdotool
// to find windows, move the pointer, click and type, a picture of a window,
// and the close request a window manager sends when the user clicks a
// window's close button.
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
    // Every visible window whose name contains name, now.
    QList<qulonglong> windows(const QString& name);
    QRect geometry(qulonglong window);
    void focus(qulonglong window);
    // A left click at a point relative to the window.
    void click(qulonglong window, const QPoint& point);
    void movePointer(qulonglong window, const QPoint& point);
    // The mouse wheel turned towards the user by notches, the pointer at a point of the window.
    void wheelDown(qulonglong window, const QPoint& point, int notches);
    // Keys by their X names ("a", "Home", "F2"), one after the other.
    void key(const QString& keys);
    void type(const QString& text);
    QImage screenshot(qulonglong window);
    // The whole screen, every window on it.
    QImage screenshotOfScreen();
    // WM_DELETE_WINDOW, as a window manager sends it.
    bool requestClose(qulonglong window);

private:
    QString xdotool(const QStringList& arguments, int timeoutMs = 10000);
    // A picture of a window named as import names it (an id, or "root").
    QImage capture(const QString& window);

    int m_display = -1;
    QProcess m_server;
};
