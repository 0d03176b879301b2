#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>

// Where the main window's controls stand on a picture of it, found by the
// colours the program paints them in: a run from outside cannot ask the
// program where its widgets are.
class MainWindowPicture
{
public:
    // The mode buttons of a receiver panel's bar, left to right.
    enum Mode { USB, LSB, CW, AM, FMN };

    explicit MainWindowPicture(const QImage& picture = QImage());

    const QImage& image() const { return m_picture; }
    // The top bar's frequency entry (RX A).
    QPoint frequencyEntry() const { return m_frequencyEntry; }
    // The on/off button at the left end of the shown receiver panel's bar.
    QPoint receiverOnOff() const { return m_receiverOnOff; }
    // "Enregistre audio", under the equalizer's button.
    QPoint mp3Button() const { return m_mp3Button; }
    // Whether the lamp of a mode button of the shown receiver panel is lit.
    bool modeLit(Mode mode) const;
    // The first tab ("RX A") of the tab bar under the receiver panels.
    QPoint firstTab() const;
    // 0 when RX A's tab is shown, 1 for RX B's, -1 for any other.
    int shownReceiverTab() const;
    // Whether the "timeDomain" tab is shown: no receiver panel, and its plots.
    bool timeDomainShown() const;
    // Whether the picture shows every control above.
    bool complete() const;
    // Whether the area around a control looks other than on an earlier picture.
    bool changedAround(const QPoint& control, const QImage& earlier) const;

private:
    void findFrequencyEntry();
    void findReceiverBar();
    void findMp3Button();

    struct Lamp
    {
        QRect box;
        bool lit;
    };

    QImage m_picture;
    QPoint m_frequencyEntry;
    QPoint m_receiverOnOff;
    QPoint m_mp3Button;
    QRect m_bar;
    QList<Lamp> m_modeLamps;
};
