#pragma once

#include <QWidget>

class JFigure;
class QPushButton;

// A script's figure window: one plot and a "Fermer" button. A top-level window
// that never keeps the program running on its own.
class JWindow : public QWidget
{
    Q_OBJECT
public:
    explicit JWindow(int scriptId, QWidget* parent = nullptr);
    ~JWindow() override;

    // Adds a curve of vals[0 .. count-1]; nothing without values.
    void plot(const double* vals, int count);

    int owner() const { return scriptID; }
    JFigure* figure() const { return figurePlot; }

signals:
    // The window is closing; the script core then closes the script's other windows.
    void window_closed(int id);

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void PRIVSLOT_Quit();

private:
    int scriptID;
    JFigure* figurePlot;
    QPushButton* closeButton;
};
