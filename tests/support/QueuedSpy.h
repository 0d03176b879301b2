#pragma once

#include <QList>
#include <QObject>
#include <QVariant>

#include <type_traits>

// Records a signal's emissions like QSignalSpy, but through a queued connection:
// the record is written on the thread the spy lives in (the test's) when that
// thread serves its events (waitFor), never on the emitting thread. So a test
// may watch a signal of the engine, a recorder or a stream thread without a
// data race, and may destroy the spy while the emitter still runs: Qt drops
// the calls that were queued for it.
class QueuedSpy : public QObject
{
public:
    // The sender's class may derive from the one that declares the signal.
    template <typename Object, typename... Args>
    QueuedSpy(const std::common_type_t<Object>* sender, void (Object::*signal)(Args...))
    {
        QObject::connect(
            sender, signal, this,
            [this](Args... args) {
                m_calls.append(QVariantList{QVariant::fromValue(std::decay_t<Args>(args))...});
            },
            Qt::QueuedConnection);
    }

    int count() const { return m_calls.size(); }
    bool isEmpty() const { return m_calls.isEmpty(); }
    // The arguments of the emission index, in the order of the signal's parameters.
    const QVariantList& at(int index) const { return m_calls.at(index); }
    const QVariantList& operator[](int index) const { return m_calls.at(index); }
    const QVariantList& last() const { return m_calls.last(); }
    const QList<QVariantList>& calls() const { return m_calls; }
    void clear() { m_calls.clear(); }

private:
    QList<QVariantList> m_calls;
};
