#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

// Answers, in order, the modal input dialogs, message boxes and other dialogs
// that the code under test opens while it runs, and records what each showed.
// A dialog beyond the script is cancelled, so that no test waits on it.
class ModalResponder : public QObject
{
    Q_OBJECT
public:
    struct Seen
    {
        QString kind; // "input", "message" or "dialog"
        QString title;
        QString text;    // the input label or the message text
        QString prefill; // an input's preset text or number
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QMessageBox::StandardButtons buttons; // a message box's standard buttons
        int buttonCount = 0;                  // all of its buttons
        QStringList otherWindows;             // classes of the other top-level windows then shown
    };

    ModalResponder();

    // Accepts the next input dialog with this text or number.
    ModalResponder& text(const QString& answer);
    ModalResponder& number(int answer);
    // Cancels the next input dialog.
    ModalResponder& cancel();
    // Presses this button of the next message box.
    ModalResponder& press(QMessageBox::StandardButton button);
    // Runs action on the next dialog of another kind; the dialog is cancelled
    // afterwards unless the action closed it.
    ModalResponder& act(std::function<void(QDialog*)> action);

    const std::vector<Seen>& seen() const { return m_seen; }
    int unexpected() const { return m_unexpected; }

private:
    struct Answer
    {
        enum Kind { Text, Number, Cancel, Button, Action } kind;
        QString text;
        int number = 0;
        QMessageBox::StandardButton button = QMessageBox::NoButton;
        std::function<void(QDialog*)> action;
    };
    void poll();

    QTimer m_timer;
    std::deque<Answer> m_answers;
    std::vector<Seen> m_seen;
    int m_unexpected = 0;
};
