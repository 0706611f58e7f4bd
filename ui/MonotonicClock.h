#pragma once

#include "app/Outside.h"

#include <QObject>

// The time source of every timer. The real one reads a monotonic clock; tests
// put a fake in place that they advance by hand, and its `advanced` signal
// lets the timers deliver whatever ticks have fallen due.
class MonotonicClock : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~MonotonicClock() override;

    virtual qint64 nowNs() const = 0;

signals:
    void advanced();
};

template <> MonotonicClock &Outside<MonotonicClock>::real();
