#include "ModalResponder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QPushButton>

namespace {
const char* const AnsweredProperty = "modalResponderAnswered";
}

ModalResponder::ModalResponder()
{
    connect(&m_timer, &QTimer::timeout, this, &ModalResponder::poll);
    m_timer.start(10);
}

ModalResponder& ModalResponder::text(const QString& answer)
{
    m_answers.push_back({Answer::Text, answer});
    return *this;
}

ModalResponder& ModalResponder::number(int answer)
{
    m_answers.push_back({Answer::Number, QString(), answer});
    return *this;
}

ModalResponder& ModalResponder::cancel()
{
    m_answers.push_back({Answer::Cancel, QString()});
    return *this;
}

ModalResponder& ModalResponder::press(QMessageBox::StandardButton button)
{
    m_answers.push_back({Answer::Button, QString(), 0, button});
    return *this;
}

ModalResponder& ModalResponder::act(std::function<void(QDialog*)> action)
{
    m_answers.push_back({Answer::Action, QString(), 0, QMessageBox::NoButton, std::move(action)});
    return *this;
}

void ModalResponder::poll()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible() || modal->property(AnsweredProperty).toBool())
        return;
    modal->setProperty(AnsweredProperty, true);
    const bool scripted = !m_answers.empty();
    const Answer answer = scripted ? m_answers.front() : Answer{Answer::Cancel, QString()};
    if (scripted)
        m_answers.pop_front();
    else
        ++m_unexpected;

    QStringList otherWindows;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window != modal && window->isVisible())
            otherWindows << window->metaObject()->className();
    }

    if (auto* input = qobject_cast<QInputDialog*>(modal)) {
        const bool isInt = input->inputMode() == QInputDialog::IntInput;
        m_seen.push_back({"input",
                          input->windowTitle(),
                          input->labelText(),
                          isInt ? QString::number(input->intValue()) : input->textValue(),
                          QMessageBox::NoButton,
                          {},
                          0,
                          otherWindows});
        if (answer.kind == Answer::Text)
            input->setTextValue(answer.text);
        else if (answer.kind == Answer::Number)
            input->setIntValue(answer.number);
        if (answer.kind == Answer::Cancel)
            input->reject();
        else
            input->accept();
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        QAbstractButton* preset = box->defaultButton();
        m_seen.push_back({"message", box->windowTitle(), box->text(), QString(),
                          preset != nullptr ? box->standardButton(preset) : QMessageBox::NoButton,
                          box->standardButtons(), int(box->buttons().size()), otherWindows});
        QAbstractButton* button =
            box->button(answer.kind == Answer::Button ? answer.button : QMessageBox::No);
        if (button == nullptr)
            button = box->buttons().value(0);
        if (button != nullptr)
            button->click();
        else
            box->reject();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        m_seen.push_back({"dialog",
                          dialog->windowTitle(),
                          QString(),
                          QString(),
                          QMessageBox::NoButton,
                          {},
                          0,
                          otherWindows});
        if (answer.kind == Answer::Action)
            answer.action(dialog);
        else if (scripted)
            ++m_unexpected;
        if (dialog->isVisible())
            dialog->reject();
    }
}
