#pragma once

#include <QToolButton>

// A tool button that shows an on/off state with a lamp icon beside its text.
// It never toggles itself: its owner decides what a press did and calls setState.
class zxPushButton : public QToolButton
{
    Q_OBJECT
public:
    explicit zxPushButton(const QString& text, QWidget* parent = nullptr);
    // No text and no icon until setState is called.
    explicit zxPushButton(QWidget* parent = nullptr);

    // Shows ":/buttons/on" or ":/buttons/off" at the image's own size.
    void setState(bool on);
    bool getState() const { return state; }

private:
    bool state = false;
};
