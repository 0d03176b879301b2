#pragma once

#include <QString>
#include <QWidget>

class Controller;

// Base of every plug-in panel: a widget with a unique name under which the
// plug-in manager registers it and invokes its slots, a title shown to the
// user, and the engine object once the manager hands it over.
class OrvexPlugin : public QWidget
{
    Q_OBJECT
public:
    explicit OrvexPlugin(QWidget* parent = nullptr);

    // The base keeps the engine; a plug-in that talks to the engine overrides it.
    virtual void setController(Controller* controller);

    bool listable = true; // may be offered in a selection list
    Controller* controller = nullptr;
    QString name;
    QString title;

signals:
    // Ask the container to show or hide this plug-in.
    void showMe(QString name);
    void hideMe(QString name);
};
