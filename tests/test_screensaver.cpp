#include "tests/common/TestSupport.h"
#include "ui/ScreenSaverInhibitor.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>

// The screen saver hold against a fake org.freedesktop.ScreenSaver service on
// a private session bus: every call the service gets, in order.
class TestScreenSaver : public QObject {
    Q_OBJECT

    QProcess m_bus, m_service; // their destructors end them
    QString m_address;

    // The process's next line; empty when none comes.
    static QString nextLine(QProcess &process)
    {
        while (!process.canReadLine())
            if (!process.waitForReadyRead(5000))
                return {};
        return QString::fromUtf8(process.readLine()).trimmed();
    }
    QDBusConnection connection(const QString &name) const
    {
        return QDBusConnection::connectToBus(m_address, name);
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName("Varko");
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        m_address = nextLine(m_bus);
        QVERIFY2(!m_address.isEmpty(), "dbus-daemon does not start");
        m_service.start(VARKO_FAKE_SCREENSAVER, {m_address});
        QCOMPARE(nextLine(m_service), "ready");
    }

    // One hold while a game runs, asked once and given back on release and
    // at exit; a game stopped before the service answered gives the hold back
    // on arrival. Without a service or a bus nothing happens.
    void holdsWhileWanted()
    {
        auto saver = std::make_unique<ScreenSaverInhibitor>(connection("hold"));
        QSignalSpy answered(saver.get(), &ScreenSaverInhibitor::inhibitAnswered);
        saver->inhibit();
        saver->inhibit();
        QVERIFY(answered.wait() && saver->isHeld());
        saver->release();
        saver->release();
        saver->inhibit(); // a resume asks again
        QVERIFY(answered.wait());
        saver.reset(); // the program ends with a game running
        ScreenSaverInhibitor quick(connection("quick"));
        QSignalSpy quickAnswer(&quick, &ScreenSaverInhibitor::inhibitAnswered);
        quick.inhibit();
        quick.release();
        QVERIFY(quickAnswer.wait() && !quick.isHeld());
        for (const QString cookie : {"1", "2", "3"}) {
            QCOMPARE(nextLine(m_service), "Inhibit Varko|A game is running -> " + cookie);
            QCOMPARE(nextLine(m_service), "UnInhibit " + cookie);
        }

        m_service.kill();
        QVERIFY(m_service.waitForFinished());
        ScreenSaverInhibitor absent(connection("absent"));
        QSignalSpy absentAnswer(&absent, &ScreenSaverInhibitor::inhibitAnswered);
        absent.inhibit();
        QVERIFY(absentAnswer.wait() && !absent.isHeld());
        absent.release();
        ScreenSaverInhibitor noBus(QDBusConnection("never connected"));
        noBus.inhibit();
        QVERIFY(!noBus.isHeld());
        noBus.release();
        QVERIFY(TestSupport::boxes().shown.isEmpty());
    }
};

VARKO_TEST_MAIN(TestScreenSaver)
#include "test_screensaver.moc"
