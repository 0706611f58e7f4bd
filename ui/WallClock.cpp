#include "ui/WallClock.h"

namespace WallClock {
namespace {
std::function<QDateTime()> &source()
{
    static std::function<QDateTime()> s;
    return s;
}
} // namespace

QDateTime now()
{
    return source() ? source()() : QDateTime::currentDateTime();
}

void install(std::function<QDateTime()> s)
{
    source() = std::move(s);
}
} // namespace WallClock
