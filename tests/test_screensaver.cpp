#include "tests/common/TestSupport.h"
#include "ui/ScreenSaverInhibitor.h"

#include <QDBusConnection>
#include <QProcess>
#include <QSignalSpy>

// The screen saver hold against a fake org.freedesktop.ScreenSaver service on
// a private session bus: every call the service gets, in order.
class TestScreenSaver : public QObject {
    Q_OBJECT

    QProcess m_bus;
    QProcess m_service;
    QString m_address;

    // The service's next recorded call; empty when none comes.
    QString nextCall()
    {
        while (!m_service.canReadLine())
            if (!m_service.waitForReadyRead(5000))
                return {};
        return QString::fromUtf8(m_service.readLine()).trimmed();
    }
    QDBusConnection connection(const QString &name) const
    {
        return QDBusConnection::connectToBus(m_address, name);
    }

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Varko"));
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                     QStringLiteral("--print-address=1")});
        QVERIFY2(m_bus.waitForStarted(), "dbus-daemon does not start");
        while (!m_bus.canReadLine())
            QVERIFY(m_bus.waitForReadyRead(5000));
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        m_service.setProcessEnvironment(env);
        m_service.start(QStringLiteral(VARKO_FAKE_SCREENSAVER));
        QCOMPARE(nextCall(), QStringLiteral("ready"));
    }

    void cleanupTestCase()
    {
        for (QProcess *p : {&m_service, &m_bus}) {
            p->kill();
            p->waitForFinished();
        }
    }

    void holdsWhileWantedAndGivesTheCookieBack()
    {
        auto saver = std::make_unique<ScreenSaverInhibitor>(connection(QStringLiteral("hold")));
        QSignalSpy answered(saver.get(), &ScreenSaverInhibitor::inhibitAnswered);
        saver->inhibit();
        saver->inhibit(); // one hold, asked once
        QVERIFY(answered.wait());
        QVERIFY(saver->isHeld());
        QCOMPARE(nextCall(), QStringLiteral("Inhibit Varko|A game is running -> 1"));
        saver->release(); // the cookie is back at the service when release returns
        saver->release();
        QCOMPARE(nextCall(), QStringLiteral("UnInhibit 1"));
        saver->inhibit(); // a resume asks again
        QVERIFY(answered.wait());
        QCOMPARE(nextCall(), QStringLiteral("Inhibit Varko|A game is running -> 2"));
        saver.reset(); // the program ends with a game running
        QCOMPARE(nextCall(), QStringLiteral("UnInhibit 2"));

        // A game stopped before the service answered: the hold is given back on arrival.
        saver = std::make_unique<ScreenSaverInhibitor>(connection(QStringLiteral("quick")));
        QSignalSpy quick(saver.get(), &ScreenSaverInhibitor::inhibitAnswered);
        saver->inhibit();
        saver->release();
        QVERIFY(quick.wait());
        QVERIFY(!saver->isHeld());
        QCOMPARE(nextCall(), QStringLiteral("Inhibit Varko|A game is running -> 3"));
        QCOMPARE(nextCall(), QStringLiteral("UnInhibit 3"));
    }

    // Runs last: it ends the service.
    void withoutAServiceNothingHappens()
    {
        m_service.kill();
        QVERIFY(m_service.waitForFinished());
        ScreenSaverInhibitor absent(connection(QStringLiteral("absent")));
        QSignalSpy answered(&absent, &ScreenSaverInhibitor::inhibitAnswered);
        absent.inhibit();
        QVERIFY(answered.wait());
        QVERIFY(!absent.isHeld());
        absent.release();

        ScreenSaverInhibitor noBus(QDBusConnection(QStringLiteral("never connected")));
        noBus.inhibit();
        QVERIFY(!noBus.isHeld());
        noBus.release();
        QVERIFY(TestSupport::boxes().shown.isEmpty());
    }
};

VARKO_TEST_MAIN(TestScreenSaver)
#include "test_screensaver.moc"
