#include "ui/ScreenSaverInhibitor.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString Service = QStringLiteral("org.freedesktop.ScreenSaver");
const QString ObjectPath = QStringLiteral("/org/freedesktop/ScreenSaver");
// A giving back that hangs must not hold the window up for long.
const int UnInhibitTimeoutMs = 500;

QDBusMessage screenSaverCall(const QString &method)
{
    return QDBusMessage::createMethodCall(Service, ObjectPath, Service, method);
}

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(const QDBusConnection &bus, QObject *parent)
    : QObject(parent), m_bus(bus)
{
}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    release();
}

void ScreenSaverInhibitor::inhibit()
{
    m_wanted = true;
    if (m_cookie || m_asking || !m_bus.isConnected())
        return;
    QDBusMessage call = screenSaverCall(QStringLiteral("Inhibit"));
    call << QCoreApplication::applicationName() << tr("A game is running");
    m_asking = true;
    // The answer comes later: a slow service must not stop the clocks.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &ScreenSaverInhibitor::onInhibitReply);
}

void ScreenSaverInhibitor::onInhibitReply(QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    m_asking = false;
    const QDBusPendingReply<uint> reply = *watcher;
    if (!reply.isError()) {
        m_cookie = reply.value();
        // The game stopped while the service was answering.
        if (!m_wanted)
            release();
    }
    emit inhibitAnswered(m_cookie.has_value());
}

void ScreenSaverInhibitor::release()
{
    m_wanted = false;
    if (!m_cookie)
        return;
    QDBusMessage call = screenSaverCall(QStringLiteral("UnInhibit"));
    call << *m_cookie;
    m_cookie.reset();
    // Waits for the answer so that a release at exit reaches the service.
    m_bus.call(call, QDBus::Block, UnInhibitTimeoutMs);
}
