#include "ui/MonotonicClock.h"

#include <QElapsedTimer>

namespace {
class SteadyClock final : public MonotonicClock {
public:
    SteadyClock() { m_elapsed.start(); }
    qint64 nowNs() const override { return m_elapsed.nsecsElapsed(); }

private:
    QElapsedTimer m_elapsed;
};
} // namespace

MonotonicClock::~MonotonicClock() = default;

template <> MonotonicClock &Outside<MonotonicClock>::real()
{
    static SteadyClock steady;
    return steady;
}
