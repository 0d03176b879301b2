#include "RemoteChatUI.h"

#include "ChatHtml.h"
#include "engine/Controller.h"
#include "hardware/RemoteReceiverHardware.h"
#include "srvlib/SrvServer.h"
#include "srvlib/SrvSession.h"

#include <QComboBox>
#include <QDebug>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

RemoteChatUI::RemoteChatUI(QWidget* parent)
    : QWidget(parent), messageView(new QTextBrowser(this)), recipients(new QComboBox),
      messageLine(new QLineEdit), sendButton(new QPushButton(tr("Envoyer")))
{
    messageView->setReadOnly(true);
    messageView->setMinimumHeight(200);
    messageView->setOpenExternalLinks(false);
    messageView->setOpenLinks(false);
    recipients->setMinimumWidth(100);
    recipients->addItem(QStringLiteral("*"));

    auto* bar = new QWidget;
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    barLayout->setContentsMargins(1, 0, 0, 0);
    barLayout->addWidget(recipients);
    barLayout->addWidget(messageLine);
    barLayout->addWidget(sendButton);

    auto* layout = new QVBoxLayout(this);
    layout->setAlignment(Qt::AlignTop);
    layout->setContentsMargins(1, 0, 0, 0);
    layout->addWidget(messageView);
    layout->addWidget(bar);

    connect(messageView, &QTextBrowser::anchorClicked, this, &RemoteChatUI::PRIV_SLOT_anchorClicked,
            Qt::QueuedConnection);
    connect(recipients, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &RemoteChatUI::PRIV_SLOT_setRecipient);
    connect(sendButton, &QPushButton::pressed, this, &RemoteChatUI::PRIV_SLOT_Msg);
    connect(messageLine, &QLineEdit::returnPressed, this, &RemoteChatUI::PRIV_SLOT_Msg);
}

void RemoteChatUI::setController(Controller* engine)
{
    if (this->engine != nullptr) {
        disconnect(this->engine, nullptr, this, nullptr);
        disconnect(this, nullptr, this->engine, nullptr);
    }
    this->engine = engine;
    if (engine == nullptr)
        return;
    connect(engine, &Controller::MSG_VantorTxtMsg, this, &RemoteChatUI::SLOT_VantorTxtMsg,
            Qt::QueuedConnection);
    connect(engine, &Controller::MSG_VantorSpot, this, &RemoteChatUI::SLOT_VantorSpot, Qt::QueuedConnection);
    connect(this, &RemoteChatUI::tuneRequested, engine, &Controller::setAbsoluteRxFreq);

    ReceiverHardware* receiver = engine->getReceiverHardware();
    if (receiver == nullptr || receiver->getType() != ReceiverHardware::Orvex_Remote)
        return;
    if (auto* remote = dynamic_cast<RemoteReceiverHardware*>(receiver))
        attachServer(remote->server());
}

void RemoteChatUI::attachServer(SrvServer* server)
{
    this->server = server;
    if (server == nullptr || server->session() == nullptr)
        return;
    const QString alias = QString::fromLocal8Bit(server->session()->alias());
    server->sendMessage("*", ChatHtml::loginAnnouncement(alias).toLocal8Bit().constData());
}

void RemoteChatUI::appendHtml(const QString& line)
{
    // One paragraph per line: a "<br/>" at the very end of inserted HTML is dropped.
    messageView->append(line);
}

void RemoteChatUI::addUser(const QString& user)
{
    if (knownUsers.contains(user))
        return;
    knownUsers.insert(user, user);
    recipients->addItem(user);
}

void RemoteChatUI::selectRecipient(const QString& user)
{
    currentRecipient = user;
    const int index = recipients->findText(user, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        recipients->setCurrentIndex(index);
}

void RemoteChatUI::SLOT_VantorTxtMsg(QString from, QString msg)
{
    appendHtml(ChatHtml::messageLine(from, msg));
    // The server's own messages cannot be answered.
    if (from == QLatin1String("Beamhost") || knownUsers.contains(from))
        return;
    addUser(from);
    selectRecipient(from);
}

void RemoteChatUI::SLOT_VantorSpot(QString name, double latitude, double longitude, double freqMHZ,
                                   int lifetime)
{
    Q_UNUSED(latitude)
    Q_UNUSED(longitude)
    Q_UNUSED(lifetime)
    qDebug() << "RemoteChatUI::SLOT_VantorSpot()" << name;
    appendHtml(ChatHtml::spotLine(name, freqMHZ));
}

void RemoteChatUI::PRIV_SLOT_anchorClicked(const QUrl& link)
{
    const QString href = link.toString(QUrl::FullyEncoded);
    qDebug() << "RemoteChatUI::PRIV_SLOT_anchorClicked" << href;
    const ChatHtml::Link target = ChatHtml::parseLink(href);
    if (target.kind == ChatHtml::Link::User) {
        addUser(target.user);
        selectRecipient(target.user);
    } else if (target.kind == ChatHtml::Link::Frequency) {
        emit tuneRequested(target.frequencyHz, 0);
    }
}

void RemoteChatUI::PRIV_SLOT_setRecipient(int index)
{
    currentRecipient = recipients->itemText(index);
    qDebug() << "RemoteChatUI::PRIV_SLOT_setRecipient(" << index << ")=" << currentRecipient;
}

void RemoteChatUI::PRIV_SLOT_Msg()
{
    if (currentRecipient.isEmpty())
        currentRecipient = recipients->itemText(0);
    const QString text = messageLine->text();
    qDebug() << "RemoteChatUI::PRIV_SLOT_Msg()" << text;
    if (text.isEmpty() || server == nullptr)
        return;
    // A refused message (too long, or no reply) stays in the line to be shortened or sent again.
    if (server->sendMessage(currentRecipient.toLocal8Bit().constData(), text.toUtf8().constData()))
        messageLine->clear();
}
