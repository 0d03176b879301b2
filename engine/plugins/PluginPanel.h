#pragma once

#include <QWidget>

class OrvexPlugin;
class PluginManager;
class QComboBox;
class QVBoxLayout;

// An alternative container: the registered plug-ins stacked vertically in a
// scroll area under a list that shows or hides the listable ones.
class PluginPanel : public QWidget
{
    Q_OBJECT
public:
    // Takes the plug-ins of manager (the process-wide one when null) into its stack.
    explicit PluginPanel(QWidget* parent = nullptr, PluginManager* manager = nullptr);

public slots:
    void showPlugin(QString name);
    void hidePlugin(QString name);
    // Puts a plug-in registered later at the top of the panel.
    void SLOT_newPlugin(OrvexPlugin* p);

private slots:
    // Toggles the chosen plug-in's visibility, then selects the heading entry again.
    void SLOT_selectPlugin(int index);

private:
    QVBoxLayout* m_layout;
    QComboBox* m_list;
};
