#include "MainWindowPicture.h"

#include <vector>

namespace {

// Colours the program paints that tell its controls apart.
const QRgb FrequencyEntryBackground = qRgb(32, 32, 32);
const QRgb PanelBarOlive = qRgb(48, 48, 32);
const QRgb LampOn = qRgb(40, 220, 40);
const QRgb LampOff = qRgb(70, 70, 70);
// A lamp is a disc of a few hundred pixels; text antialiasing never makes this many.
constexpr int LampMinPixels = 20;
// The time-domain view's plot canvases (Qt::darkBlue) fill a good part of the
// window; their grid cuts them into small cells, so their pixels are counted.
const QRgb PlotCanvas = qRgb(0, 0, 128);
constexpr double PlotMinShare = 0.2;

bool sameColour(QRgb a, QRgb b)
{
    return (a & 0xffffff) == (b & 0xffffff);
}

// Bounding boxes of the 4-connected regions of exactly this colour with at least minPixels pixels.
QList<QRect> blobs(const QImage& image, QRgb colour, int minPixels)
{
    QList<QRect> found;
    const int w = image.width();
    const int h = image.height();
    std::vector<char> seen(size_t(w) * size_t(h), 0);
    const auto matches = [&](const QPoint& p) { return sameColour(image.pixel(p), colour); };
    for (int y0 = 0; y0 < h; ++y0) {
        for (int x0 = 0; x0 < w; ++x0) {
            if (seen[size_t(y0) * w + x0] || !matches({x0, y0}))
                continue;
            QRect box(x0, y0, 1, 1);
            int count = 0;
            std::vector<QPoint> stack{{x0, y0}};
            seen[size_t(y0) * w + x0] = 1;
            while (!stack.empty()) {
                const QPoint p = stack.back();
                stack.pop_back();
                ++count;
                box = box.united(QRect(p, QSize(1, 1)));
                for (const QPoint& d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
                    const QPoint q = p + d;
                    if (q.x() < 0 || q.y() < 0 || q.x() >= w || q.y() >= h ||
                        seen[size_t(q.y()) * w + q.x()] || !matches(q))
                        continue;
                    seen[size_t(q.y()) * w + q.x()] = 1;
                    stack.push_back(q);
                }
            }
            if (count >= minPixels)
                found.append(box);
        }
    }
    return found;
}

// The longest horizontal run of this colour in row y, as [left, right]; right < left when none.
std::pair<int, int> longestRun(const QImage& image, int y, QRgb colour)
{
    std::pair<int, int> best{0, -1};
    int start = -1;
    for (int x = 0; x <= image.width(); ++x) {
        const bool match = x < image.width() && sameColour(image.pixel(x, y), colour);
        if (match && start < 0)
            start = x;
        if (!match && start >= 0) {
            if (x - 1 - start > best.second - best.first)
                best = {start, x - 1};
            start = -1;
        }
    }
    return best;
}

} // namespace

MainWindowPicture::MainWindowPicture(const QImage& picture)
    : m_picture(picture.convertToFormat(QImage::Format_RGB32))
{
    if (m_picture.isNull())
        return;
    findFrequencyEntry();
    findReceiverBar();
    findMp3Button();
}

void MainWindowPicture::findFrequencyEntry()
{
    // The leftmost long dark run of the top bar's rows (the level meter
    // further right is dark too; the digits break the rows they cross).
    const int barHeight = 40;
    int left = m_picture.width();
    int right = -1;
    for (int y = 0; y < std::min(barHeight, m_picture.height()); ++y) {
        for (int x0 = 0; x0 < left; ++x0) {
            if (!sameColour(m_picture.pixel(x0, y), FrequencyEntryBackground))
                continue;
            int x1 = x0;
            while (x1 + 1 < m_picture.width() &&
                   sameColour(m_picture.pixel(x1 + 1, y), FrequencyEntryBackground))
                ++x1;
            if (x1 - x0 >= 150) {
                left = x0;
                right = x1;
                break;
            }
            x0 = x1;
        }
    }
    if (right >= 0)
        m_frequencyEntry = QPoint((left + right) / 2, barHeight / 2);
}

void MainWindowPicture::findReceiverBar()
{
    // Rows where olive runs across most of the window are the margins of a
    // panel bar (its buttons break the rows between). The bar with the on/off
    // and mode buttons is the lowest of the shown receiver panel.
    const int minRun = m_picture.width() / 2;
    const int maxGap = 40; // taller than the bar's buttons
    int top = -1, bottom = -1, left = 0;
    for (int y = m_picture.height() - 1; y >= 0; --y) {
        const auto run = longestRun(m_picture, y, PanelBarOlive);
        if (run.second - run.first < minRun)
            continue;
        if (bottom >= 0 && top - y > maxGap)
            break;
        if (bottom < 0)
            bottom = y;
        top = y;
        left = run.first;
    }
    if (bottom < 0)
        return;
    m_bar = QRect(left, top, m_picture.width() - left, bottom - top + 1);
    m_receiverOnOff = QPoint(left + 25, m_bar.center().y());
    QList<Lamp> lamps;
    for (const QRect& box : blobs(m_picture, LampOn, LampMinPixels))
        if (m_bar.contains(box))
            lamps.append({box, true});
    for (const QRect& box : blobs(m_picture, LampOff, LampMinPixels))
        if (m_bar.contains(box))
            lamps.append({box, false});
    std::sort(lamps.begin(), lamps.end(),
              [](const Lamp& a, const Lamp& b) { return a.box.left() < b.box.left(); });
    m_modeLamps = lamps;
}

void MainWindowPicture::findMp3Button()
{
    // The audio buttons stand in a column: mute, the equalizer (lit), MP3; the
    // equalizer's is the lowest lit lamp of the window.
    QRect equalizer;
    for (const QRect& blob : blobs(m_picture, LampOn, LampMinPixels))
        if (blob.top() > equalizer.top())
            equalizer = blob;
    if (equalizer.isNull())
        return;
    QRect below;
    for (const QRect& blob : blobs(m_picture, LampOff, LampMinPixels)) {
        if (qAbs(blob.left() - equalizer.left()) <= 2 && blob.top() > equalizer.bottom() &&
            (below.isNull() || blob.top() < below.top()))
            below = blob;
    }
    if (!below.isNull())
        m_mp3Button = below.center();
}

bool MainWindowPicture::modeLit(Mode mode) const
{
    return mode < m_modeLamps.size() && m_modeLamps[mode].lit;
}

QPoint MainWindowPicture::firstTab() const
{
    // The tab bar lies under the panel.
    return m_bar.isNull() ? QPoint() : m_bar.bottomLeft() + QPoint(10, 9);
}

int MainWindowPicture::shownReceiverTab() const
{
    // The shown tab is drawn lighter than the others. "RX A" and "RX B" are
    // the tab bar's first two tabs.
    const QPoint rxA = firstTab();
    const QPoint rxB = m_bar.bottomLeft() + QPoint(80, 9);
    if (m_bar.isNull() || !m_picture.rect().contains(rxB))
        return -1;
    const int a = qGray(m_picture.pixel(rxA));
    const int b = qGray(m_picture.pixel(rxB));
    return a > b + 10 ? 0 : b > a + 10 ? 1 : -1;
}

bool MainWindowPicture::timeDomainShown() const
{
    if (!m_bar.isNull() || m_picture.isNull())
        return false;
    long canvas = 0;
    for (int y = 0; y < m_picture.height(); ++y)
        for (int x = 0; x < m_picture.width(); ++x)
            canvas += sameColour(m_picture.pixel(x, y), PlotCanvas) ? 1 : 0;
    return canvas >= PlotMinShare * m_picture.width() * m_picture.height();
}

bool MainWindowPicture::complete() const
{
    return !m_frequencyEntry.isNull() && !m_receiverOnOff.isNull() && !m_mp3Button.isNull() &&
           m_modeLamps.size() > FMN;
}

bool MainWindowPicture::changedAround(const QPoint& control, const QImage& earlier) const
{
    const QRect area = QRect(control - QPoint(20, 8), QSize(41, 17)).intersected(m_picture.rect());
    const QImage before = earlier.convertToFormat(QImage::Format_RGB32);
    if (area.isEmpty() || !before.rect().contains(area))
        return false;
    return m_picture.copy(area) != before.copy(area);
}
