#pragma once

#include <QHash>
#include <QString>
#include <QUrl>
#include <QWidget>

class Controller;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTextBrowser;
class SrvServer;

// Chat with the other users of the remote server: incoming messages and spots
// as HTML lines with links (a user's name makes that user the recipient, a
// spotted frequency tunes RX A), a recipient list ("*" is everybody) and an
// entry line sent through the server's session channel. GUI thread only.
class RemoteChatUI : public QWidget
{
    Q_OBJECT

public:
    explicit RemoteChatUI(QWidget* parent = nullptr);

    // Wires the panel to the engine: its session signals, and RX A tuned by
    // spot links. For a remote receiver, attaches the receiver's server.
    void setController(Controller* engine);
    // Messages go out through this server; with a session, the user is
    // announced to everybody.
    void attachServer(SrvServer* server);

    QString recipient() const { return currentRecipient; }

signals:
    // A spot link was clicked.
    void tuneRequested(qint64 frequencyHz, int channel);

public slots:
    void SLOT_VantorTxtMsg(QString from, QString msg);
    void SLOT_VantorSpot(QString name, double latitude, double longitude, double freqMHZ, int lifetime);

private slots:
    void PRIV_SLOT_anchorClicked(const QUrl& link);
    void PRIV_SLOT_Msg();
    void PRIV_SLOT_setRecipient(int index);

private:
    void appendHtml(const QString& line);
    // Adds the user to the known users and the recipient list when new.
    void addUser(const QString& user);
    void selectRecipient(const QString& user);

    Controller* engine = nullptr;
    SrvServer* server = nullptr;
    QHash<QString, QString> knownUsers;
    QTextBrowser* messageView;
    QComboBox* recipients;
    QLineEdit* messageLine;
    QPushButton* sendButton;
    QString currentRecipient = QStringLiteral("*");
};
