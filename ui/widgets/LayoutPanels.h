#pragma once

#include <QWidget>

class QHBoxLayout;
class QVBoxLayout;

// A row of widgets under an optional title.
class HorizontalLayoutPanel : public QWidget
{
    Q_OBJECT
public:
    explicit HorizontalLayoutPanel(const QString& title, QWidget* parent = nullptr);
    void addWidget(QWidget* w);

private:
    QHBoxLayout* contentLayout;
};

// A column of widgets, top-left aligned, under an optional title.
class VerticalLayoutPanel : public QWidget
{
    Q_OBJECT
public:
    explicit VerticalLayoutPanel(const QString& title, QWidget* parent = nullptr);
    void addWidget(QWidget* w);

private:
    QVBoxLayout* contentLayout;
};
