#include "ui/WallClock.h"

namespace WallClock {
namespace {

class SystemClock final : public Source {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace

QDateTime now()
{
    return Outside<Source>::current().now();
}

} // namespace WallClock

template <> WallClock::Source &Outside<WallClock::Source>::real()
{
    static WallClock::SystemClock real;
    return real;
}
