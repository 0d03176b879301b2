#pragma once

#include <QObject>
#include <QString>
#include <QVector>

#include <memory>

class ReceiverHardware;
class SrvServer;
namespace RemoteServerReceivers {
struct DebugLines;
}

// Finds every receiver the program can offer at start-up: the boards of the
// driver libraries ("EXTSDR_*.dll") of a folder and the channelizer streams of
// the saved remote servers, in one list shared with the selection dialog.
// After the choice the list is reduced to the chosen receiver. GUI thread only.
class RadioHardwareProvider : public QObject
{
    Q_OBJECT
public:
    explicit RadioHardwareProvider(QObject* parent = nullptr);
    // Frees the list but not the receivers: the chosen one lives on.
    ~RadioHardwareProvider() override;

    // Lists the boards of every driver library of the folder; returns the
    // number of receivers listed in all.
    int scanDirectory(const QString& directory);
    // Lists the boards of one driver library.
    void loadFromFile(const QString& path);
    // Connects every saved server and lists the new channelizer streams;
    // returns the number listed.
    int loadRemoteServers();
    // Connects one more server (its client made by the caller) and lists its
    // new channelizer streams; returns the number listed.
    int addTempRemote(SrvServer* server);
    // Destroys the receivers other than the selected one (driver boards of
    // type 2 and remote receivers; others are only taken out of the list) and
    // leaves the selected one alone in the list.
    void clearExceptSelected();
    void selectFirstIfNone();

    QVector<ReceiverHardware*>* receivers() const { return m_list.get(); }
    ReceiverHardware* selected() const { return m_selected; }
    void setSelected(ReceiverHardware* receiver) { m_selected = receiver; }

private:
    int appendRemoteReceivers(const RemoteServerReceivers::DebugLines& lines);

    std::unique_ptr<QVector<ReceiverHardware*>> m_list;
    ReceiverHardware* m_selected = nullptr;
};
