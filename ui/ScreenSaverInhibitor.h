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

signals:
    // The service answered an Inhibit (or failed to); `held` says whether the
    // hold is kept, which it is not when the game stopped meanwhile.
    void inhibitAnswered(bool held);

private:
    void onInhibitReply(QDBusPendingCallWatcher *watcher);

    QDBusConnection m_bus;
    std::optional<uint> m_cookie;
    bool m_wanted = false;
    bool m_asking = false;
};
