#pragma once

#include <QDialog>
#include <QVector>

class HardwareTableWidget;
class QComboBox;
class QPushButton;
class ReceiverHardware;
class SrvServer;

// The start-up dialog in which the user chooses the receiver for the whole
// run and its sample rate, may reach one more remote server by typing its
// address (and store it among the saved servers), or quits the program.
// The settings group "Remote" of the program settings only prefills the
// remote-server prompts.
class HardwareSelectionWindow : public QDialog
{
    Q_OBJECT
public:
    // list: discovery's receiver list, shared; receivers added here are appended to it.
    HardwareSelectionWindow(QVector<ReceiverHardware*>* list, QWidget* parent = nullptr);

    // After the dialog: the chosen receiver, with its preferred rate applied
    // unless the user picked one, or null. Closes the sessions of the other
    // servers whose receivers were listed.
    ReceiverHardware* getSelected();
    // Connects a server and lists its new channelizer streams. On false
    // (unreachable, or nothing new) the server object is freed unless it
    // registered something, and must not be used any more.
    bool addRemoteStreams(SrvServer* server, const char* alias);

    HardwareTableWidget* table() const { return m_table; }

protected:
    // Ends the process with exit code 0 (tests override it).
    virtual void endProgram();

private slots:
    void PRIVSLOT_rxHwSelected(ReceiverHardware* rx);
    void PRIVSLOT_bwChanged(int uselection);
    void PRIVSLOT_Quit();
    void PRIVSLOT_addRemote();
    void PRIVSLOT_quitProgram();

private:
    QVector<SrvServer*> listedServers() const;

    bool m_rateChosen = false;
    HardwareTableWidget* m_table = nullptr;
    QVector<ReceiverHardware*>* m_list;
    ReceiverHardware* m_selected = nullptr;
    QPushButton* m_useButton = nullptr;
    QPushButton* m_remoteButton = nullptr;
    QPushButton* m_quitButton = nullptr;
    QComboBox* m_rateBox = nullptr;
};
