#include "X11Session.h"

#include "WaitFor.h"

#include <QByteArray>
#include <QProcessEnvironment>
#include <X11/Xlib.h>

namespace {

// Whether the server of a display completes a client's connection.
bool acceptsClients(const QString& display)
{
    Display* x = XOpenDisplay(display.toLatin1().constData());
    if (x == nullptr)
        return false;
    XCloseDisplay(x);
    return true;
}

} // namespace

X11Session::X11Session()
{
    // Xvfb picks a free display itself (the first whose socket it can bind,
    // so sessions started side by side never share one) and writes its number
    // to the given descriptor, here its standard output, once it is set up.
    // -noreset: by default the server resets each time its last client leaves
    // and drops the connections it accepted but had not yet set up. Every
    // xdotool or import run is such a last client until the program has
    // connected, so the program's own connection failed now and then, more
    // often on a loaded machine.
    m_server.start("Xvfb",
                   {"-displayfd", "1", "-noreset", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
    if (!m_server.waitForStarted(5000))
        return;
    QByteArray announced;
    waitFor([&] {
        m_server.waitForReadyRead(50);
        announced += m_server.readAllStandardOutput();
        return announced.contains('\n') || m_server.state() != QProcess::Running;
    });
    bool ok = false;
    const int n = announced.trimmed().toInt(&ok);
    if (!ok)
        return;
    // Used only once a client gets through.
    m_display = n;
    bool accepts = false;
    waitFor([&] {
        accepts = m_server.state() == QProcess::Running && acceptsClients(display());
        return accepts || m_server.state() != QProcess::Running;
    });
    if (!accepts)
        m_display = -1;
}

X11Session::~X11Session()
{
    if (m_server.state() == QProcess::Running) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }
}

QString X11Session::xdotool(const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display());
    process.setProcessEnvironment(env);
    process.start("xdotool", arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

qulonglong X11Session::waitForWindow(const QString& name, int timeoutMs)
{
    qulonglong found = 0;
    waitFor(
        [&] {
            found = windows(name).value(0, 0);
            return found != 0;
        },
        timeoutMs);
    return found;
}

QList<qulonglong> X11Session::windows(const QString& name)
{
    QList<qulonglong> found;
    for (const QString& id :
         xdotool({"search", "--onlyvisible", "--name", name}).split('\n', Qt::SkipEmptyParts))
        found.append(id.toULongLong());
    return found;
}

QRect X11Session::geometry(qulonglong window)
{
    QRect rect;
    for (const QString& line :
         xdotool({"getwindowgeometry", "--shell", QString::number(window)}).split('\n')) {
        const QStringList pair = line.split('=');
        if (pair.size() != 2)
            continue;
        const int value = pair[1].toInt();
        if (pair[0] == "X")
            rect.moveLeft(value);
        else if (pair[0] == "Y")
            rect.moveTop(value);
        else if (pair[0] == "WIDTH")
            rect.setWidth(value);
        else if (pair[0] == "HEIGHT")
            rect.setHeight(value);
    }
    return rect;
}

void X11Session::focus(qulonglong window)
{
    xdotool({"windowfocus", "--sync", QString::number(window)});
}

void X11Session::movePointer(qulonglong window, const QPoint& point)
{
    xdotool({"mousemove", "--sync", "--window", QString::number(window), QString::number(point.x()),
             QString::number(point.y())});
}

void X11Session::click(qulonglong window, const QPoint& point)
{
    movePointer(window, point);
    xdotool({"click", "1"});
}

void X11Session::wheelDown(qulonglong window, const QPoint& point, int notches)
{
    movePointer(window, point);
    // Button 5 is a notch of the wheel towards the user.
    xdotool({"click", "--repeat", QString::number(notches), "--delay", "100", "5"});
}

void X11Session::key(const QString& keys)
{
    xdotool({"key", "--delay", "50", keys});
}

void X11Session::type(const QString& text)
{
    xdotool({"type", "--delay", "80", text});
}

QImage X11Session::screenshot(qulonglong window)
{
    return capture(QString::number(window));
}

QImage X11Session::screenshotOfScreen()
{
    return capture(QStringLiteral("root"));
}

QImage X11Session::capture(const QString& window)
{
    QProcess process;
    process.start("import", {"-display", display(), "-window", window, "png:-"});
    if (!process.waitForFinished(20000))
        return {};
    QImage image;
    image.loadFromData(process.readAllStandardOutput(), "PNG");
    return image.convertToFormat(QImage::Format_RGB32);
}

bool X11Session::requestClose(qulonglong window)
{
    Display* x = XOpenDisplay(display().toLatin1().constData());
    if (x == nullptr)
        return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = Window(window);
    event.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(x, Window(window), False, NoEventMask, &event);
    XFlush(x);
    XCloseDisplay(x);
    return sent != 0;
}
