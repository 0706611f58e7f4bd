#pragma once

#include "ui/KeepAwakeSeam.h"

#include <QDBusConnection>
#include <QObject>
#include <optional>

class QDBusPendingCallWatcher;

// The freedesktop org.freedesktop.ScreenSaver service on a D-Bus connection:
// Inhibit asks without waiting, UnInhibit gives the cookie back. Where no
// service answers, nothing happens.
class ScreenSaverInhibitor final : public QObject, public KeepAwake::Seam {
    Q_OBJECT
public:
    explicit ScreenSaverInhibitor(const QDBusConnection &bus, QObject *parent = nullptr);
    ~ScreenSaverInhibitor() override; // lets go of a hold still taken

    void inhibit() override;
    void release() override;
    bool isHeld() const { return m_cookie.has_value(); }

signals:
    // The service answered an Inhibit (or failed to).
    void inhibitAnswered();

private:
    void onInhibitReply(QDBusPendingCallWatcher *watcher);

    QDBusConnection m_bus;
    std::optional<uint> m_cookie;
    bool m_wanted = false;
    bool m_asking = false;
};
