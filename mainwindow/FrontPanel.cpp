#include "FrontPanel.h"

#include "BookmarkRows.h"
#include "TimeDomain.h"
#include "core/ProgramSettings.h"
#include "core/QLogger.h"
#include "engine/plugins/PluginManager.h"
#include "hardware/accessory/AccessoryComm.h"
#include "hardware/version/zxVersionChecker.h"
#include "map/gps/GPSD.h"
#include "mappanel/DemUI.h"
#include "ui/remoteui/RemoteChatUI.h"
#include "ui/panels/MainReceiver.h"
#include "ui/panels/SubReceiver.h"
#include "ui/scanner/SpectumScanner.h"
#include "ui/scanner/SpottedList.h"
#include "ui/widgets/CFreqCtrl.h"
#include "ui/widgets/CMeter.h"
#include "ui/widgets/EqualizerControls.h"
#include "ui/widgets/EqualizerSlider.h"
#include "ui/widgets/IndicatorPanel.h"
#include "ui/widgets/LayoutPanels.h"
#include "ui/widgets/zxPushButton.h"
#include "ui/widgets/zxSlider.h"
#include "engine/audio/Equalizer.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLCDNumber>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

void trace(const QString& text)
{
    QLogger::logTrace(LogModule, text);
}

QPushButton* makeButton(const QString& text, QWidget* parent, int maxWidth, const QString& tip = {})
{
    auto* button = new QPushButton(text, parent);
    if (maxWidth > 0)
        button->setMaximumWidth(maxWidth);
    if (!tip.isEmpty())
        button->setToolTip(tip);
    return button;
}

zxSlider* makeSlider(const QString& title, QWidget* parent, int min, int max, const QString& tip)
{
    auto* slider = new zxSlider(title, parent);
    slider->setRange(min, max);
    slider->setToolTip(tip);
    return slider;
}

zxPushButton* makeToggle(const QString& text, QWidget* parent, const QString& tip)
{
    auto* button = new zxPushButton(text, parent);
    button->setToolTip(tip);
    return button;
}

} // namespace

FrontPanel::FrontPanel()
{
    // The broadcast schedule's object (whatson) is made before anything else.
    setWindowTitle(QStringLiteral("Vantor-SDR Client V1.0 - Build : ") + BuildNumber);
    trace("FrontPanel::FrontPanel() ");
    bookmarkRows = new BookmarkRows::Keeper(this);

    auto* central = new QWidget(this);
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(1, 1, 1, 1);
    centralLayout->addWidget(buildTopBar(central));
    fillStepBox();

    tabs = new QTabWidget(central);
    tabs->setMinimumHeight(350);
    tabs->setContentsMargins(0, 0, 0, 0);
    tabs->setTabPosition(QTabWidget::South);
    buildTabs();
    centralLayout->addWidget(tabs);
    centralLayout->addWidget(buildBottomStrip(central));

    createAccessoryLink();
    setCentralWidget(central);
    connectControls();
    createGpsReader();
    startVersionCheck();
    setWindowIcon(QIcon(":/applicon"));
    sizeToScreen();
}

QWidget* FrontPanel::buildTopBar(QWidget* parent)
{
    auto* bar = new QWidget(parent);
    auto* layout = new QHBoxLayout(bar);
    layout->setAlignment(Qt::AlignLeft);
    layout->setContentsMargins(0, 0, 0, 0);
    bar->setMinimumHeight(40);
    bar->setMaximumHeight(40);

    bandCombo = new QComboBox(bar);
    bandCombo->setToolTip(tr("Bandes"));
    layout->addWidget(bandCombo);
    QPushButton* memories = makeButton("M", bar, 25, tr("Gestion des memoires"));
    QPushButton* spot = makeButton("S", bar, 25, tr("Spot"));
    layout->addWidget(memories);
    layout->addWidget(spot);
    connect(memories, &QPushButton::clicked, this, &FrontPanel::SLOT_manageMemories);
    connect(spot, &QPushButton::clicked, this, &FrontPanel::SLOT_SpotThis);

    freqCtrl = new CFreqCtrl(bar);
    freqCtrl->setMinimumWidth(200);
    layout->addWidget(freqCtrl);

    auto* steps = new QWidget(bar);
    auto* stepLayout = new QHBoxLayout(steps);
    stepLayout->setAlignment(Qt::AlignLeft);
    stepLayout->setContentsMargins(0, 0, 0, 0);
    QPushButton* down = makeButton("<", steps, 25);
    stepCombo = new QComboBox(steps);
    lockButton = makeButton("LOCK", steps, 50);
    QPushButton* up = makeButton(">", steps, 25);
    for (QWidget* w : {static_cast<QWidget*>(down), static_cast<QWidget*>(stepCombo),
                       static_cast<QWidget*>(lockButton), static_cast<QWidget*>(up)}) {
        w->setMinimumHeight(40);
        w->setMaximumHeight(40);
        stepLayout->addWidget(w);
    }
    layout->addWidget(steps);
    connect(down, &QPushButton::pressed, this, &FrontPanel::SLOT_stepDown);
    connect(up, &QPushButton::pressed, this, &FrontPanel::SLOT_stepUp);

    meter = new CMeter(this);
    meter->setMinimumWidth(150);
    meter->setToolTip(tr("Affichage niveau recu en dB"));
    layout->addWidget(meter);

    QPushButton* rewind2 = makeButton("2s", bar, 40, tr("Replay audio 2 secondes"));
    QPushButton* rewind4 = makeButton("4s", bar, 40, tr("Replay audio 4 secondes"));
    layout->addWidget(rewind2);
    layout->addWidget(rewind4);
    connect(rewind2, &QPushButton::pressed, this, &FrontPanel::SLOT_rewind2);
    connect(rewind4, &QPushButton::pressed, this, &FrontPanel::SLOT_rewind4);

    utcClock = new QLCDNumber(11, bar);
    utcClock->setSegmentStyle(QLCDNumber::Flat);
    utcClock->display("00:00:00.0");
    utcClock->setToolTip(tr("Affichage heure TU"));
    QPalette palette = utcClock->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::WindowText, QColor(85, 85, 255));
        palette.setColor(group, QPalette::Window, QColor(0, 170, 255));
        palette.setColor(group, QPalette::Dark, QColor(0, 255, 0));
    }
    utcClock->setPalette(palette);
    layout->addWidget(utcClock);
    return bar;
}

void FrontPanel::fillStepBox()
{
    const struct
    {
        const char* text;
        int hertz;
    } steps[] = {{"1 KHz", 1000},        {"2.5 KHz", 2500},     {"5 KHz", 5000},     {"6.25 KHz", 6250},
                 {"8.33 KHz", 8330},     {"9 KHz", 9000},       {"10 KHz", 10000},   {"12.5 KHz", 12500},
                 {"25 KHz", 25000},      {"100 KHz", 100000},   {"500 KHz", 500000}, {"1 MHz", 1000000},
                 {"10 MHz", 10000000}};
    int index = 0;
    for (const auto& step : steps) {
        // The first eight carry integers, the coarse ones doubles; both read as integers.
        const QVariant data = index < 8 ? QVariant(step.hertz) : QVariant(double(step.hertz));
        stepCombo->addItem(step.text, data);
        ++index;
    }
    stepCombo->setCurrentIndex(0);
}

void FrontPanel::buildTabs()
{
    trace("FrontPanel::FrontPanel() create MainReceiver");
    rxA = new MainReceiver(this);
    trace("FrontPanel::FrontPanel() create SubReceiver");
    rxB = new SubReceiver(false, this);
    trace("FrontPanel::FrontPanel() create SpottedList");
    spotList = new SpottedList(this);
    spotList->setToolTip(tr("Signaux forts detectes"));
    trace("FrontPanel::FrontPanel() create DemUI");
    // The map and terrain panel fills this page; attachMapPanel gives it the engine.
    mapPage = new QWidget(this);
    mapPage->setToolTip(tr("Cartographie et modele numerique du terrain"));
    auto* mapLayout = new QVBoxLayout(mapPage);
    mapLayout->setContentsMargins(0, 0, 0, 0);
    mapPanel = new DemUI(mapPage);
    mapLayout->addWidget(mapPanel);
    trace("FrontPanel::FrontPanel() create IndicatorPanel");
    indicators = new IndicatorPanel(this);
    trace("FrontPanel::FrontPanel() add widgets to tab");

    tabs->addTab(rxA, tr("RX A"));
    tabs->addTab(rxB, tr("RX B"));
    tabs->addTab(spotList, tr("Scan"));
    tabs->addTab(mapPage, tr("Carte"));
    if (indicators->indicatorCount() > 0)
        tabs->addTab(indicators, tr("Indicateurs"));
    timeDomain = new TimeDomain(this);
    tabs->addTab(timeDomain, tr("timeDomain"));
    chat = new RemoteChatUI(this);
    tabs->addTab(chat, tr("Chat"));
}

QWidget* FrontPanel::buildBottomStrip(QWidget* parent)
{
    auto* strip = new QWidget(parent);
    strip->setMaximumHeight(115);
    bottomLayout = new QHBoxLayout(strip);
    bottomLayout->setAlignment(Qt::AlignLeft);
    bottomLayout->setContentsMargins(0, 0, 0, 0);

    auto* receivers = new HorizontalLayoutPanel(tr("Recepteurs"), strip);
    auto* transfers = new VerticalLayoutPanel(QString(), receivers);
    QPushButton* aToB = makeButton("A --> B", transfers, 60, tr("Transferer QRG de RXA vers RXB"));
    QPushButton* bToA = makeButton("B --> A", transfers, 60, tr("Transferer QRG de RXB vers RXA"));
    QPushButton* swap = makeButton("A <--> B", transfers, 60, tr("Permuter QRG de RXA et RXB"));
    transfers->addWidget(aToB);
    transfers->addWidget(bToA);
    transfers->addWidget(swap);
    receivers->addWidget(transfers);
    connect(aToB, &QPushButton::pressed, this, &FrontPanel::SLOT_PrimaryToSecondary);
    connect(bToA, &QPushButton::pressed, this, &FrontPanel::SLOT_SecondaryToPrimary);
    connect(swap, &QPushButton::pressed, this, &FrontPanel::SLOT_SwapPrimarySecondary);

    auto* files = new VerticalLayoutPanel(QString(), receivers);
    recordButton = makeToggle(tr("Enregisre RF"), files, tr("Enregistrer donnees RF brutes"));
    playButton = makeToggle(tr("Lire RF"), files, tr("Relire donnees RF brutes"));
    calibrateButton = new QPushButton(tr("Calibrer RX"), files);
    files->addWidget(recordButton);
    files->addWidget(playButton);
    files->addWidget(calibrateButton);
    receivers->addWidget(files);

    balance = makeSlider(tr("Balance A/B"), receivers, -10, 10, tr("Balance audio entre RXA et RXB"));
    balance->setValueQuiet(0);
    receivers->addWidget(balance);
    squelchA = makeSlider(tr("Squelch A"), receivers, -110, 0, tr("Squelch RXA - reglage du niveau dB de blocage"));
    receivers->addWidget(squelchA);
    squelchB = makeSlider(tr("Squelch B"), receivers, -110, 0, tr("Squelch RXB - reglage du niveau dB de blocage"));
    receivers->addWidget(squelchB);
    bottomLayout->addWidget(receivers);

    gainPanel = new HorizontalLayoutPanel(tr("SDR Gain"), strip);
    bottomLayout->addWidget(gainPanel);

    auto* audio = new HorizontalLayoutPanel(tr("Audio"), strip);
    volume = makeSlider(tr("Volume"), audio, 0, 100, tr("Volume general"));
    volume->setValueQuiet(30);
    audio->addWidget(volume);
    auto* audioButtons = new VerticalLayoutPanel(QString(), audio);
    muteButton = makeToggle(tr("Mute Audio"), audioButtons, tr("Suspendre sortie audio"));
    mp3Button = makeToggle(tr("Enregistre audio"), audioButtons, tr("Enregistrer audio au format mp3"));
    audioButtons->addWidget(muteButton);
    audioButtons->addWidget(EqualizerControls::getOnOffButton());
    audioButtons->addWidget(mp3Button);
    audio->addWidget(audioButtons);
    for (int band = 0; band < Equalizer::instance()->getBandCount(); ++band)
        audio->addWidget(EqualizerControls::createSlider(band));
    bottomLayout->addWidget(audio);

    userButtons = buildUserButtons(strip);
    if (userButtons != nullptr)
        bottomLayout->addWidget(userButtons);

    pluginStrip = PluginManager::instance()->getPanel();
    bottomLayout->addWidget(pluginStrip);
    return strip;
}

QWidget* FrontPanel::buildUserButtons(QWidget* parent)
{
    std::unique_ptr<QSettings> settings = ProgramSettings::open();
    settings->beginGroup("Interface");
    QWidget* area = nullptr;
    QGridLayout* grid = nullptr;
    for (int n = 1; n <= UserButtonCount; ++n) {
        const QString actionKey = "ACTION_" + QString::number(n);
        const QString textKey = "TEXT_" + QString::number(n);
        if (settings->value(actionKey).toString().isEmpty()) {
            settings->setValue(actionKey, QString());
            settings->setValue(textKey, QString());
            continue;
        }
        if (area == nullptr) {
            area = new QWidget(parent);
            grid = new QGridLayout(area);
        }
        const QString text = settings->value(textKey).toString();
        auto* button = new QPushButton(text.isEmpty() ? QString::number(n) : text, area);
        grid->addWidget(button, (n - 1) / UserButtonsPerRow, (n - 1) % UserButtonsPerRow);
        connect(button, &QPushButton::pressed, this, [this, n] { SLOT_userButton(n - 1); });
    }
    settings->endGroup();
    return area;
}

void FrontPanel::connectControls()
{
    connect(stepCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &FrontPanel::SLOT_setStep);
    connect(lockButton, &QPushButton::pressed, this, &FrontPanel::SLOT_lockChannelizer);
    connect(bandCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &FrontPanel::SLOT_selectBand);
    connect(calibrateButton, &QPushButton::pressed, this, &FrontPanel::SLOT_doIQCorrection);
    connect(squelchA, &zxSlider::valueChanged, this, &FrontPanel::SLOT_setSquelch);
    connect(squelchA, &zxSlider::valueChanged, meter, &CMeter::SLOT_setSquelch);
    connect(squelchB, &zxSlider::valueChanged, this, &FrontPanel::SLOT_setSquelchB);
    connect(squelchB, &zxSlider::valueChanged, rxB, &SubReceiver::SLOT_setSquelch);
    connect(recordButton, &zxPushButton::pressed, this, &FrontPanel::SLOT_startStopRecordToFile);
    connect(playButton, &zxPushButton::pressed, this, &FrontPanel::SLOT_startStopReadFromFile);
    connect(mp3Button, &zxPushButton::pressed, this, &FrontPanel::SLOT_startStopSaveMP3);
    connect(muteButton, &zxPushButton::pressed, this, &FrontPanel::SLOT_muteAudio);
    connect(balance, &zxSlider::valueChanged, this, &FrontPanel::SLOT_balancePrimSecChanged);
    connect(tabs, &QTabWidget::currentChanged, this, &FrontPanel::SLOT_ChangeActivePanel);
    connect(freqCtrl, &CFreqCtrl::newFrequency, this, &FrontPanel::SLOT_userTunesFreqWidget, Qt::QueuedConnection);

    SpectumScanner* scanner = rxA->getScanner();
    connect(scanner, &SpectumScanner::SIG_newSpot, spotList, &SpottedList::SLOT_newSpot, Qt::QueuedConnection);
    connect(scanner, &SpectumScanner::SIG_deadSpot, spotList, &SpottedList::SLOT_deadSpot, Qt::QueuedConnection);
    connect(spotList, &SpottedList::newThreshold, scanner, &SpectumScanner::setPowerThreshold, Qt::QueuedConnection);
    connect(scanner, &SpectumScanner::SIG_newAutoSpotLevel, spotList, &SpottedList::SLOT_autoThreshold,
            Qt::QueuedConnection);
    connect(this, &FrontPanel::SIG_VisibleSegmentsChanged, scanner, &SpectumScanner::SLOT_updateVisibleSegments,
            Qt::QueuedConnection);
    connect(rxA, &MainReceiver::SIGNAL_RXcoverageUpdated, this, &FrontPanel::SLOT_RXcoverageUpdated,
            Qt::QueuedConnection);
    connect(rxB, &SubReceiver::SIGNAL_RXcoverageUpdated, this, &FrontPanel::SLOT_RXcoverageUpdated,
            Qt::QueuedConnection);
    connect(this, &FrontPanel::SIG_RefreshBookmarks, rxA, &MainReceiver::SLOT_RefreshBookmarks, Qt::QueuedConnection);
    connect(this, &FrontPanel::SIG_RefreshBookmarks, rxB, &SubReceiver::SLOT_RefreshBookmarks, Qt::QueuedConnection);
    // The map panel's band choice (SIG_UserSelectsBand) is connected where the panel is placed.
}

void FrontPanel::createAccessoryLink()
{
    std::unique_ptr<QSettings> settings = ProgramSettings::open();
    settings->beginGroup("Accessories");
    bool wroteDefault = false;
    const int enabled = ProgramSettings::valueOrWriteDefault(*settings, "enable_accessories", "0", &wroteDefault).toInt();
    settings->endGroup();
    if (enabled != 1) {
        trace("FrontPanel::FrontPanel() disable AccessoryComm");
        return;
    }
    trace("FrontPanel::FrontPanel() create AccessoryComm");
    // It opens its port once the engine is attached (attachSideThreads).
    accessory = new AccessoryComm();
    connect(accessory, &AccessoryComm::request, this, &FrontPanel::SLOT_accessoryCommand, Qt::QueuedConnection);
}

void FrontPanel::createGpsReader()
{
    // Its constructor opens the port; the thread starts with the engine (attachSideThreads).
    gps = new GPSD();
    connect(gps, &GPSD::hasGpsFix, this, &FrontPanel::SLOT_gps_hasGpsFix, Qt::QueuedConnection);
    connect(gps, &GPSD::hasGpsTime, this, &FrontPanel::SLOT_gps_hasGpsTime, Qt::QueuedConnection);
}

void FrontPanel::startVersionCheck()
{
    auto* checker = new zxVersionChecker(this);
    connect(checker, &zxVersionChecker::SIG_NewVersionAvailable, this, &FrontPanel::SLOT_NewVersionAvailable);
    checker->check();
}

void FrontPanel::sizeToScreen()
{
    const QScreen* screen = this->screen();
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    resize(qRound(available.width() * 0.6), qRound(available.height() * 0.6));
}
