#pragma once

#include <QColor>
#include <QFrame>
#include <QPixmap>

// Horizontal level meter in dBFS: a scale with ticks and labels, a green bar
// that rises fast and falls slowly, and the level as text coloured by the
// squelch state. It only draws; its owner feeds it levels.
class CMeter : public QFrame
{
    Q_OBJECT
public:
    explicit CMeter(QWidget* parent = nullptr);
    CMeter(float minLevel, float maxLevel, QWidget* parent = nullptr);

    QSize sizeHint() const override { return QSize(100, 30); }
    QSize minimumSizeHint() const override { return QSize(20, 10); }

    // Displayed level in dBFS (smoothed, truncated) and bar length in pixels.
    int getLevel() const { return level; }
    int getBarLength() const { return barLength; }
    // Colour of the level text for the current level and squelch.
    QColor textColor() const;

    void drawScale();
    void drawLevel();

public slots:
    void setLevel(float dbfs);
    // A threshold of 0 or above turns the squelch colouring off.
    void SLOT_setSquelch(int level);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap levelPixmap;
    QPixmap scalePixmap;
    int pixmapWidth = 0;
    int pixmapHeight = 0;
    int squelchLevel = 0;
    int barLength = 0;
    int level = -130;
    float fallFactor = 0.25f;
    float riseFactor = 0.7f;
    float minLevel = -130.0f;
    float maxLevel = 0.0f;
};
