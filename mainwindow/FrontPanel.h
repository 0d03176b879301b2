#pragma once

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include "decoders/whatson/Whatson.h"
#include "mainwindow/IQCorrectionWidget.h"

namespace BookmarkRows {
class Keeper;
}
class AccessoryComm;
class CFreqCtrl;
class CMeter;
class GPSD;
class Controller;
class DemUI;
class HorizontalLayoutPanel;
class IndicatorPanel;
class MainReceiver;
class QComboBox;
class QHBoxLayout;
class QLCDNumber;
class QMessageBox;
class QPushButton;
class QTabWidget;
class QThread;
class RadioHardwareProvider;
class ReceiverHardware;
class RemoteChatUI;
class SpottedList;
class SubReceiver;
class TimeDomain;
class dbRadioSegment;
class zxPushButton;
class zxSlider;

// The program's main window: a top bar (band, memories, spot, RX A's frequency
// entry, tuning steps and lock, level meter, replay, UTC clock), the tabs with
// the receiver panels and tools, and a bottom strip (receivers, gain stages,
// audio with the equalizer, user action buttons, plug-ins). Built before the
// engine exists; setController attaches it. Every action on the receiver is a
// direct call on the engine from the GUI thread; the engine reports back with
// its "MSG_" signals.
//
// Beside the engine the window runs the accessory link and the GPS reader
// (made by the constructor, started when the engine is attached), the version
// check, and hands the engine to the script core for the user action buttons.
// Classes of other libraries still plug in at named places: the map panel (the
// "Carte" page, attachMapPanel; it also shows the ADS-B receiver's aircraft,
// setADSBReceiver) and the broadcast schedule's object (made first of all in
// the constructor; its plug-in is reached by name, SLOT_WHATSONRequest).
//
// Closing: the destructor ends everything behind the window in order, with
// bounded waits (endReception), before the receivers go.
class FrontPanel : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr int UserButtonCount = 5;
    static constexpr int UserButtonsPerRow = 3;
    static constexpr const char* BuildNumber = "20170103";

    FrontPanel();
    ~FrontPanel() override;

    void setHardwareProvider(RadioHardwareProvider* provider) { hardwareProvider = provider; }
    // The band choices; the segments stay owned by the caller.
    void setBandPlan(const QList<dbRadioSegment*>& segments);
    // Attaches the engine once; null and a second engine are ignored.
    void setController(Controller* controller);
    // The ADS-B receiver whose aircraft the map shows; stopped when the window
    // closes, not owned.
    void setADSBReceiver(QObject* receiver);
    // Offsets both channels by offset Hz from the centre.
    void tuneBothChannels(qint64 offset);

    // Parts, for the tests and the start-up.
    QTabWidget* tabWidget() const { return tabs; }
    MainReceiver* receiverA() const { return rxA; }
    SubReceiver* receiverB() const { return rxB; }
    CFreqCtrl* frequencyEntry() const { return freqCtrl; }
    QComboBox* stepBox() const { return stepCombo; }
    QComboBox* bandBox() const { return bandCombo; }
    QPushButton* lockControl() const { return lockButton; }
    QPushButton* calibrateControl() const { return calibrateButton; }
    zxSlider* squelchSliderA() const { return squelchA; }
    zxSlider* squelchSliderB() const { return squelchB; }
    zxSlider* volumeSlider() const { return volume; }
    zxSlider* balanceSlider() const { return balance; }
    HorizontalLayoutPanel* gainStrip() const { return gainPanel; }
    QWidget* userButtonArea() const { return userButtons; }
    QLCDNumber* clock() const { return utcClock; }
    zxPushButton* playControl() const { return playButton; }
    zxPushButton* recordControl() const { return recordButton; }
    zxPushButton* mp3Control() const { return mp3Button; }
    zxPushButton* muteControl() const { return muteButton; }
    TimeDomain* timeDomainView() const { return timeDomain; }
    IQCorrectionWidget* iqDialog() const { return iqCorrection.data(); }
    Controller* engine() const { return controller; }
    AccessoryComm* accessoryLink() const { return accessory; }
    GPSD* gpsReader() const { return gps; }
    IndicatorPanel* indicatorPanel() const { return indicators; }

signals:
    void SIG_VisibleSegmentsChanged(int channel, double fstart, double fstop);
    void SIG_UserSelectsBand(qlonglong freq_start, qlonglong freq_stop);
    void SIG_RefreshBookmarks();

public slots:
    void SLOT_userTunesFreqWidget(qlonglong newFrequency);
    void SLOT_PrimaryToSecondary();
    void SLOT_SecondaryToPrimary();
    void SLOT_SwapPrimarySecondary();
    void SLOT_balancePrimSecChanged(int balance);
    void SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel);
    void SLOT_accessoryCommand(QString cmd, int arg, int value);
    void SLOT_setSMeterLevel(float dbfs);
    void SLOT_RXcoverageUpdated(int channel, double fstart, double fstop);
    void SLOT_ChannelTurnedOnOff(int channel, bool on_off);
    void SLOT_FileReaderStarts();
    void SLOT_FileReaderStops();
    void SLOT_FileWriterStarts();
    void SLOT_FileWriterStops();
    void endProgram();
    void SLOT_ChangeActivePanel(int index);
    void SLOT_doIQCorrection();
    void SLOT_rewind2();
    void SLOT_rewind4();
    void SLOT_selectBand(int index);
    void SLOT_startStopRecordToFile();
    void SLOT_startStopReadFromFile();
    void SLOT_startStopSaveMP3();
    void SLOT_gps_hasError(int code);
    void SLOT_gps_hasGpsFix(float latitude, float longitude);
    void SLOT_gps_hasGpsTime(int year, int month, int day, int hour, int min, int sec, int msec);
    void SLOT_rpc_SetModulation(int channel, QString modulation_name, int low, int high);
    void SLOT_NewVersionAvailable(double version);
    void SLOT_setSquelch(int level);
    void SLOT_setSquelchB(int level);
    void SLOT_setStep(int index);
    void SLOT_lockChannelizer();
    void SLOT_stepUp();
    void SLOT_stepDown();
    void SLOT_manageMemories();
    void SLOT_SpotThis();
    void SLOT_userButton(int choice);
    void SLOT_WHATSONRequest(int key);
    void SLOT_muteAudio();
    void SLOT_VantorUpdateIndicator(QString name, double value);
    void SLOT_VantorConnectionLost();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Construction (FrontPanel.cpp).
    QWidget* buildTopBar(QWidget* parent);
    void fillStepBox();
    void buildTabs();
    QWidget* buildBottomStrip(QWidget* parent);
    QWidget* buildUserButtons(QWidget* parent);
    void connectControls();
    void createAccessoryLink();
    void createGpsReader();
    void startVersionCheck();
    void sizeToScreen();

    // Attachment (FrontPanelAttach.cpp).
    void buildGainSliders();
    void attachPanels();
    // The record, MP3 and play buttons follow their threads, which also tell
    // the user why a recording or a playback ended early.
    void attachRecorders();
    void attachMapPanel();
    void attachRemoteReceiver();
    void restoreSquelchLevels();
    void attachSideThreads();
    void loadBookmarks();
    void attachScriptCore();

    // The end (FrontPanelShutdown.cpp): the engine and every thread behind the
    // window stop, both channels go off, then the receivers are released.
    void endReception();
    void stopSideThreads();
    // Stops a reader thread within a bound and deletes it; a thread that does
    // not stop is left behind (and logged) rather than destroyed while it runs.
    static void stopAndDelete(QThread* thread);
    void releaseReceivers();
    // Deletes the plug-in that shows the receiver's own widget, if there is one.
    static void removeReceiverPanel(ReceiverHardware* receiver);

    // Actions (FrontPanelActions.cpp).
    // Reloads the personal memories of the receiver's range into the bookmark store.
    void reloadMemories();

    // The broadcast schedule's object, made before anything else.
    Whatson whatson;
    QList<dbRadioSegment*> bandPlan;
    RadioHardwareProvider* hardwareProvider = nullptr;
    QTabWidget* tabs = nullptr;
    int activePanel = 0;
    MainReceiver* rxA = nullptr;
    SubReceiver* rxB = nullptr;
    SpottedList* spotList = nullptr;
    // The "Carte" tab's page and the map panel placed in it.
    QWidget* mapPage = nullptr;
    DemUI* mapPanel = nullptr;
    IndicatorPanel* indicators = nullptr;
    // Made without a parent; stopped and deleted by the orderly end.
    AccessoryComm* accessory = nullptr;
    GPSD* gps = nullptr;
    QComboBox* stepCombo = nullptr;
    QPushButton* lockButton = nullptr;
    CFreqCtrl* freqCtrl = nullptr;
    CMeter* meter = nullptr;
    HorizontalLayoutPanel* gainPanel = nullptr;
    zxSlider* squelchA = nullptr;
    zxSlider* squelchB = nullptr;
    zxSlider* volume = nullptr;
    zxSlider* balance = nullptr;
    Controller* controller = nullptr;
    QComboBox* bandCombo = nullptr;
    QHBoxLayout* bottomLayout = nullptr;
    QWidget* userButtons = nullptr;
    QLCDNumber* utcClock = nullptr;
    TimeDomain* timeDomain = nullptr;
    QPushButton* calibrateButton = nullptr;
    zxPushButton* muteButton = nullptr;
    zxPushButton* mp3Button = nullptr;
    zxPushButton* recordButton = nullptr;
    zxPushButton* playButton = nullptr;
    RemoteChatUI* chat = nullptr;
    QWidget* remoteSpectrum = nullptr;
    // The plug-in manager's strip: shown here, owned by the manager.
    QWidget* pluginStrip = nullptr;
    // The one calibration dialog; cleared when it goes, however it goes.
    QPointer<IQCorrectionWidget> iqCorrection;
    // The box that tells of a lost server link, while it is open.
    QPointer<QMessageBox> linkLostBox;
    // Keeps the rows that the bookmarks made here point to.
    BookmarkRows::Keeper* bookmarkRows = nullptr;
    qint64 lastRetunedCentre = 0;
};
