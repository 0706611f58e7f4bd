#pragma once

#include <QObject>

// The time source of every timer. The real one reads a monotonic clock; tests
// install a fake that they advance by hand, and its `advanced` signal lets the
// timers deliver whatever ticks have fallen due.
class MonotonicClock : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MonotonicClock() override;

    virtual qint64 nowNs() const = 0;

    // The clock in use; a real one unless a test installed another.
    static MonotonicClock &instance();
    // Installs `clock` (not owned); nullptr goes back to the real clock.
    static void install(MonotonicClock *clock);

signals:
    void advanced();
};
