#include "tests/common/TestSupport.h"
#include "ui/ScreenSaverInhibitor.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>

// A stand-in for the desktop's org.freedesktop.ScreenSaver service, noting
// each call. It answers from a thread of its own, so that the program's
// waiting calls are served.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QStringList calls;

public slots:
    uint Inhibit(const QString &application, const QString &reason)
    {
        calls << QString("Inhibit %1|%2 -> %3").arg(application, reason).arg(calls.size() + 1);
        return calls.size();
    }
    void UnInhibit(uint cookie) { calls << QString("UnInhibit %1").arg(cookie); }
};

// The screen saver hold against the fake service on a private session bus.
class TestScreenSaver : public TestSupport::TestCase {
    Q_OBJECT

    QTemporaryDir m_busFolder; // holds the bus's socket, outlives the bus
    QProcess m_bus;            // its destructor ends it
    QString m_address;
    QThread m_thread;
    FakeScreenSaver m_service;

    QDBusConnection bus(const QString &name) const { return QDBusConnection::connectToBus(m_address, name); }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName("Varko");
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1",
                                    "--address=unix:dir=" + m_busFolder.path()});
        QVERIFY2(m_bus.waitForReadyRead(5000), "dbus-daemon does not start");
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
        m_service.moveToThread(&m_thread);
        m_thread.start();
        QVERIFY(bus("service").registerObject("/org/freedesktop/ScreenSaver", &m_service,
                                              QDBusConnection::ExportAllSlots) &&
                bus("service").registerService("org.freedesktop.ScreenSaver"));
    }
    void cleanupTestCase()
    {
        m_thread.quit();
        m_thread.wait();
    }

    // One hold while a game runs, asked once; the cookie is back at the
    // service when release returns, at exit too. A game stopped before the
    // service answered gives the hold back on arrival. Without a service nothing
    // happens.
    void holdsWhileWanted()
    {
        auto saver = std::make_unique<ScreenSaverInhibitor>(bus("hold"));
        QSignalSpy answered(saver.get(), &ScreenSaverInhibitor::inhibitAnswered);
        saver->inhibit();
        saver->inhibit();
        QVERIFY(answered.wait() && answered.last().at(0).toBool());
        saver->release();
        saver->release();
        QCOMPARE(m_service.calls, QStringList({"Inhibit Varko|A game is running -> 1", "UnInhibit 1"}));
        saver->inhibit(); // a resume asks again
        QVERIFY(answered.wait());
        saver.reset(); // the program ends with a game running
        QCOMPARE(m_service.calls.mid(2),
                 QStringList({"Inhibit Varko|A game is running -> 3", "UnInhibit 3"}));
        ScreenSaverInhibitor quick(bus("quick"));
        QSignalSpy quickAnswer(&quick, &ScreenSaverInhibitor::inhibitAnswered);
        quick.inhibit();
        quick.release();
        QVERIFY(quickAnswer.wait() && !quickAnswer.last().at(0).toBool());
        QCOMPARE(m_service.calls.mid(4),
                 QStringList({"Inhibit Varko|A game is running -> 5", "UnInhibit 5"}));

        QDBusConnection::disconnectFromBus("service");
        ScreenSaverInhibitor absent(bus("absent"));
        QSignalSpy absentAnswer(&absent, &ScreenSaverInhibitor::inhibitAnswered);
        absent.inhibit();
        QVERIFY(absentAnswer.wait() && !absentAnswer.last().at(0).toBool());
        absent.release();
    }
};

VARKO_TEST_MAIN(TestScreenSaver)
#include "test_screensaver.moc"
