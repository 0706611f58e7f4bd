// A stand-in for the desktop's org.freedesktop.ScreenSaver service on the bus
// at the address it is given. Prints "ready" once registered, then one line
// per call: "Inhibit <application>|<reason> -> <cookie>", "UnInhibit <cookie>".
#include <QCoreApplication>
#include <QDBusConnection>
#include <cstdio>

class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
    uint m_lastCookie = 0;

public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        std::printf("Inhibit %s|%s -> %u\n", qPrintable(application), qPrintable(reason), ++m_lastCookie);
        return m_lastCookie;
    }
    void UnInhibit(uint cookie) { std::printf("UnInhibit %u\n", cookie); }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IONBF, 0); // each call is seen as it comes
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLocal8Bit(argv[argc - 1]), "service");
    FakeScreenSaver saver;
    if (!bus.registerObject("/org/freedesktop/ScreenSaver", &saver, QDBusConnection::ExportAllSlots) ||
        !bus.registerService("org.freedesktop.ScreenSaver"))
        return 1;
    std::printf("ready\n");
    return app.exec();
}

#include "varko_fake_screensaver.moc"
