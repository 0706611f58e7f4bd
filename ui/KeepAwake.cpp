#include "ui/KeepAwake.h"

#include "ui/ScreenSaverInhibitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QPointer>

namespace KeepAwake {

void sync(bool gameRunning)
{
    Seam &seam = Outside<Seam>::current();
    if (gameRunning == seam.m_held)
        return;
    seam.m_held = gameRunning;
    if (gameRunning)
        seam.inhibit();
    else
        seam.release();
}

} // namespace KeepAwake

template <> KeepAwake::Seam &Outside<KeepAwake::Seam>::real()
{
    // Owned by the application, so it lives exactly as long as the session bus can be used.
    static QPointer<ScreenSaverInhibitor> real;
    if (!real)
        real = new ScreenSaverInhibitor(QDBusConnection::sessionBus(), QCoreApplication::instance());
    return *real;
}
