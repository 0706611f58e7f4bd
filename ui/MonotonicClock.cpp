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

MonotonicClock *g_installed = nullptr;
} // namespace

MonotonicClock::~MonotonicClock() = default;

MonotonicClock &MonotonicClock::instance()
{
    static SteadyClock steady;
    return g_installed ? *g_installed : steady;
}

void MonotonicClock::install(MonotonicClock *clock)
{
    g_installed = clock;
}
