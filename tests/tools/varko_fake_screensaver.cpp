// A stand-in for the desktop's org.freedesktop.ScreenSaver service on the
// session bus of DBUS_SESSION_BUS_ADDRESS. Prints "ready" once registered,
// then one line per call: "Inhibit <application>|<reason> -> <cookie>" and
// "UnInhibit <cookie>".
#include <QCoreApplication>
#include <QDBusConnection>
#include <QObject>
#include <cstdio>

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        ++m_lastCookie;
        say(QStringLiteral("Inhibit %1|%2 -> %3").arg(application, reason).arg(m_lastCookie));
        return m_lastCookie;
    }
    void UnInhibit(uint cookie) { say(QStringLiteral("UnInhibit %1").arg(cookie)); }

private:
    static void say(const QString &line)
    {
        std::printf("%s\n", qPrintable(line));
        std::fflush(stdout);
    }
    uint m_lastCookie = 0;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    FakeScreenSaver saver;
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &saver,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver")))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "varko_fake_screensaver.moc"
