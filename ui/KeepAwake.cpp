#include "ui/KeepAwake.h"

#include "ui/ScreenSaverInhibitor.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QPointer>

namespace KeepAwake {
namespace {

Seam *g_seam = nullptr;
bool g_held = false;

Seam &seam()
{
    if (g_seam)
        return *g_seam;
    // Owned by the application, so it lives exactly as long as the session bus can be used.
    static QPointer<ScreenSaverInhibitor> real;
    if (!real)
        real = new ScreenSaverInhibitor(QDBusConnection::sessionBus(), QCoreApplication::instance());
    return *real;
}

} // namespace

void sync(bool gameRunning)
{
    if (gameRunning == g_held)
        return;
    g_held = gameRunning;
    if (gameRunning)
        seam().inhibit();
    else
        seam().release();
}

void installSeam(Seam *s)
{
    g_seam = s;
    g_held = false;
}

} // namespace KeepAwake
