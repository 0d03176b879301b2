#include "AccessoryComm.h"

#include "core/AntennaSystem.h"
#include "core/ComPort.h"
#include "core/ProgramSettings.h"
#include "core/QLogger.h"
#include "core/ThreadStop.h"
#include "engine/Controller.h"
#include "engine/FrequencyConverter.h"
#include "engine/ReceiverHardware.h"

#include <QByteArray>
#include <QMutexLocker>
#include <QSettings>

#include <limits>
#include <utility>

AccessoryComm::AccessoryComm(QObject* parent) : QThread(parent)
{
    setObjectName(QStringLiteral("AccessoryComm"));
}

AccessoryComm::~AccessoryComm()
{
    stop();
    if (portOpen)
        comport_close(portIndex);
}

void AccessoryComm::setController(Controller* engine)
{
    controller = engine;
    // Received frequencies are turned into offsets from this centre, which the
    // retune reports keep up to date; until the first report, the receiver's own.
    const qint64 centre = controller->getRxCenterFreq();
    if (centre > 0)
        hwCenter = centre;
    connect(controller, &Controller::MSG_ChannelizerIsRetuned, this,
            &AccessoryComm::SLOT_ChannelizerIsRetuned, Qt::UniqueConnection);
}

void AccessoryComm::loadSettings()
{
    auto settings = ProgramSettings::open();
    settings->beginGroup(QStringLiteral("Accessories"));
    int index = -1;
    if (!settings->contains(QStringLiteral("comm_port"))) {
        // Written for the next start; no port this time.
        settings->setValue(QStringLiteral("comm_port"), 1);
        settings->setValue(QStringLiteral("bauds"), DefaultBauds);
        settings->setValue(QStringLiteral("rotor_resolution"), DefaultRotorResolution);
    } else {
        index = settings->value(QStringLiteral("comm_port")).toInt() - 1;
    }
    int bauds = settings->value(QStringLiteral("bauds")).toInt();
    if (bauds == 0)
        bauds = DefaultBauds;
    const int resolution = settings->value(QStringLiteral("rotor_resolution")).toInt();
    rotorResolution = resolution == 0 ? DefaultRotorResolution : resolution;

    if (index < 0 || isRunning() || portOpen)
        return;
    if (comport_open(index, bauds) != 0) {
        QLogger::logError(LogModule,
                          QStringLiteral("AccessoryComm::loadSettings() cannot open COM%1 at %2 bauds")
                              .arg(index + 1)
                              .arg(bauds));
        return;
    }
    portIndex = index;
    portOpen = true;
    start();
}

bool AccessoryComm::stop()
{
    return endThreadWithin(
        this, StopBoundMs,
        QStringLiteral("AccessoryComm::stop() the link thread did not end within %1 ms").arg(StopBoundMs),
        [this] { requestInterruption(); });
}

void AccessoryComm::startThread()
{
    if (!isRunning())
        start(QThread::InheritPriority);
}

void AccessoryComm::SLOT_newDemodulatorInstalled(Demodulator*, int) {}

void AccessoryComm::run()
{
    AntennaSystem::instance();
    if (portIndex < 0)
        return;
    parser = AccessoryParser();
    rotorValue = 0;
    char buffer[ReadSize];
    while (!isInterruptionRequested()) {
        const int ready = comport_wait(portIndex, IdleWaitMs);
        if (ready < 0) {
            QLogger::logError(LogModule,
                              QStringLiteral("AccessoryComm::run() the accessory device on COM%1 is "
                                             "gone, the link stops")
                                  .arg(portIndex + 1));
            return;
        }
        if (ready > 0) {
            const int count = comport_read(portIndex, buffer, ReadSize);
            if (count > 0) {
                for (int i = 0; i < count; ++i)
                    if (buffer[i] != '\0')
                        parseChar(buffer[i]);
                if (const int dropped = droppedMessages.exchange(0))
                    QLogger::logWarning(LogModule,
                                        QStringLiteral("AccessoryComm::run() %1 message(s) with a number too "
                                                       "long dropped")
                                            .arg(dropped));
                continue;
            }
            // Ready yet nothing to read: a device in trouble; do not spin on it.
            msleep(IdleWaitMs);
        }
        idlePass();
    }
}

void AccessoryComm::parseChar(char c)
{
    accessorySpoke = true;
    const AccessoryMessage message = parser.feed(c);
    switch (message.kind) {
    case AccessoryMessage::Kind::None:
        break;
    case AccessoryMessage::Kind::Rotor:
        rotorValue = int(message.value);
        break;
    case AccessoryMessage::Kind::Frequency:
        applyFrequency(message.value);
        break;
    case AccessoryMessage::Kind::Step:
        emit request(QStringLiteral("FRQ"), int(message.value), 0);
        break;
    case AccessoryMessage::Kind::Indicator:
        emit request(QStringLiteral("INDICATOR"), message.code, int(message.value));
        break;
    case AccessoryMessage::Kind::Dropped:
        ++droppedMessages;
        break;
    }
}

FrequencyConverter* AccessoryComm::converter() const
{
    ReceiverHardware* hardware = controller ? controller->getReceiverHardware() : nullptr;
    return hardware ? hardware->frequencyConverter.load() : nullptr;
}

void AccessoryComm::applyFrequency(qint64 frequency)
{
    if (!controller)
        return;
    if (FrequencyConverter* c = converter())
        frequency = c->fromHardwareFreq(frequency);
    const qint64 offset = frequency - hwCenter.load();
    // An offset beyond the int range is a retune by absolute frequency.
    if (offset >= std::numeric_limits<int>::min() && offset <= std::numeric_limits<int>::max())
        controller->setRxOffset(int(offset), 0);
    else
        controller->setAbsoluteRxFreq(frequency, 0);
}

void AccessoryComm::idlePass()
{
    const int rotor = rotorValue.exchange(0);
    if (rotor > 0)
        AntennaSystem::instance()->setAzimuth(float(rotor * 360.0 / rotorResolution.load()));
    qint64 frequency = 0;
    {
        QMutexLocker lock(&sendLock);
        std::swap(frequency, pendingFrequency);
    }
    if (frequency <= 0)
        return;
    // The accessory takes tens of hertz.
    const QByteArray message = "<F" + QByteArray::number(frequency / 10) + ">";
    comport_send_buffer(portIndex, message.constData(), message.size());
}

void AccessoryComm::SLOT_ChannelizerIsRetuned(qlonglong hwRXCenter, float newFrequency, int channel)
{
    if (channel != 0)
        return;
    hwCenter = hwRXCenter;
    if (!accessorySpoke)
        return;
    qint64 frequency = hwRXCenter + qint64(newFrequency);
    if (FrequencyConverter* c = converter())
        frequency = c->toHardwareFreq(frequency);
    QMutexLocker lock(&sendLock);
    pendingFrequency = frequency;
}
