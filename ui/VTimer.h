#pragma once

#include <QObject>
#include <QTimer>

class MonotonicClock;

// A periodic timer driven by `Interval` alone: 0 stops it, a value above 0 makes
// it tick every `Interval` milliseconds.
//
// Unlike a plain QTimer it keeps exact time, which a game clock needs:
// - stopped in the middle of an interval, it keeps the part already run, and
//   when started again its first tick comes after the rest of that interval;
// - ticks are scheduled on a monotonic clock, and one that fell due while the
//   event loop was busy is delivered late, never dropped.
// forgetCarry() drops the kept part (the clock it drives was zeroed or loaded).
class VTimer : public QObject {
    Q_OBJECT
public:
    explicit VTimer(QObject *parent = nullptr);

    int Interval() const { return m_interval; }
    void setInterval(int ms);

    void forgetCarry();

    // Delivers every tick that has fallen due by now; the scheduler and the
    // fake clock of the tests call it.
    void deliverDue();

signals:
    void Timer();

private:
    void start(qint64 now);
    void stop(qint64 now);
    void schedule(qint64 now);
    qint64 now() const;
    qint64 intervalNs() const { return qint64(m_interval) * 1000000; }

    MonotonicClock &m_clock;
    QTimer m_wake;
    int m_interval = 0;
    qint64 m_phaseStart = 0;  // monotonic time at which the current interval began
    qint64 m_carried = 0;     // part of an interval run before the last stop
    qint64 m_owed = 0;        // whole intervals that fell due but were not yet delivered
    quint64 m_generation = 0; // bumped by every change of Interval
};
