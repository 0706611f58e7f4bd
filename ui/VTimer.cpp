#include "ui/VTimer.h"

#include "ui/MonotonicClock.h"

#include <algorithm>

VTimer::VTimer(QObject *parent) : QObject(parent), m_clock(Outside<MonotonicClock>::current())
{
    m_wake.setSingleShot(true);
    m_wake.setTimerType(Qt::PreciseTimer);
    connect(&m_wake, &QTimer::timeout, this, &VTimer::deliverDue);
    connect(&m_clock, &MonotonicClock::advanced, this, &VTimer::deliverDue);
}

qint64 VTimer::now() const
{
    return m_clock.nowNs();
}

void VTimer::setInterval(int ms)
{
    ms = std::max(ms, 0);
    if (ms == m_interval)
        return; // restarting a running timer at the same interval keeps its phase
    const qint64 t = now();
    if (m_interval > 0)
        stop(t);
    m_interval = ms;
    ++m_generation;
    if (m_interval > 0)
        start(t);
    schedule(t);
}

void VTimer::stop(qint64 now)
{
    const qint64 elapsed = now - m_phaseStart;
    m_owed += elapsed / intervalNs();
    m_carried = elapsed % intervalNs();
}

void VTimer::start(qint64 now)
{
    m_phaseStart = now - std::min(m_carried, intervalNs() - 1);
    m_carried = 0;
}

void VTimer::forgetCarry()
{
    m_carried = 0;
    m_owed = 0;
    if (m_interval > 0)
        m_phaseStart = now();
    schedule(now());
}

void VTimer::schedule(qint64 now)
{
    if (m_owed > 0) {
        m_wake.start(0);
        return;
    }
    if (m_interval == 0) {
        m_wake.stop();
        return;
    }
    const qint64 dueIn = m_phaseStart + intervalNs() - now;
    // Round up so the wake-up never comes before the tick is due.
    m_wake.start(int(std::max<qint64>(0, (dueIn + 999999) / 1000000)));
}

void VTimer::deliverDue()
{
    // A handler may change this timer's Interval; ticks of the old phase that
    // were not yet handed out then become owed and are delivered afterwards.
    while (true) {
        const quint64 generation = m_generation;
        if (m_owed > 0) {
            --m_owed;
        } else if (m_interval > 0 && now() - m_phaseStart >= intervalNs()) {
            m_phaseStart += intervalNs();
        } else {
            break;
        }
        emit Timer();
        if (generation != m_generation && m_interval == 0 && m_owed == 0)
            break;
    }
    schedule(now());
}
