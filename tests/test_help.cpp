#include "tests/common/TestSupport.h"
#include "ui/HelpViewer.h"
#include "ui/VTimer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>

const QString ShippedHelp = QStringLiteral(VARKO_HELP_SOURCE);

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_main.setGeometry(40, 60, 200, 150);
        m_main.show();
    }
    void cleanup()
    {
        if (HelpViewer *v = Help::openViewer())
            v->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!Help::openViewer()); // closing the viewer frees it
    }

    void opensTheFileAtItsContents()
    {
        Help::showContents(ShippedHelp, &m_main);
        HelpViewer *viewer = Help::openViewer();
        QVERIFY(viewer && viewer->isVisible());
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Varko Help"));
        QVERIFY(viewer->text().startsWith(QStringLiteral("Varko Chronometer")));
        QVERIFY(viewer->frameGeometry().left() > m_main.frameGeometry().right()); // beside the main window
        QScrollBar *bar = viewer->browser()->verticalScrollBar();
        QCOMPARE(bar->value(), 0);

        // Asked again, the same window comes back at the top.
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        Help::showContents(ShippedHelp, &m_main);
        QCOMPARE(Help::openViewer(), viewer);
        QCOMPARE(bar->value(), 0);
    }

    // Reported in the viewer itself, naming the file, while the game's clock
    // goes on; once the file is readable the same window shows it.
    void unreadableFileReportedInTheViewer_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // null: nothing is created
        QTest::newRow("missing") << "VARKOHELP.HLP" << QByteArray();
        QTest::newRow("a folder") << "folder" << QByteArray();
        QTest::newRow("empty") << "VARKOHELP.HLP" << QByteArray("");
    }
    void unreadableFileReportedInTheViewer()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = QDir::toNativeSeparators(dir.filePath(name));
        QFile file(path);
        QVERIFY(name != QLatin1String("folder") || QDir(dir.path()).mkdir(name));
        QVERIFY(content.isNull() || file.open(QIODevice::WriteOnly));

        VTimer clock;
        int ticks = 0;
        connect(&clock, &VTimer::Timer, this, [&ticks] { ++ticks; });
        clock.setInterval(1000);
        Help::showContents(path, &m_main);
        TestSupport::clock().advanceInSteps(3000);

        HelpViewer *viewer = Help::openViewer();
        QVERIFY(viewer && viewer->isVisible());
        QVERIFY2(viewer->text().contains(path) && viewer->text().contains(QStringLiteral("not available")),
                 qPrintable(viewer->text()));
        QCOMPARE(ticks, 3);
        QVERIFY(m_main.isVisible() && m_main.isEnabled());
        QVERIFY(TestSupport::boxes().shown.isEmpty());

        Help::showContents(ShippedHelp, &m_main);
        QCOMPARE(Help::openViewer(), viewer);
        QVERIFY(!viewer->text().contains(path));
    }

    void contentsLinksLeadToTheirSections()
    {
        QFile file(ShippedHelp);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        static const QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
        int links = 0;
        for (const QRegularExpressionMatch &m : link.globalMatch(html)) {
            QVERIFY2(html.contains(QStringLiteral("id=\"%1\"").arg(m.captured(1))), qPrintable(m.captured(1)));
            ++links;
        }
        QVERIFY(links >= 8);

        Help::showContents(ShippedHelp, &m_main);
        QTextBrowser *browser = Help::openViewer()->browser();
        browser->setSource(QUrl(QStringLiteral("#archive")));
        QVERIFY(browser->verticalScrollBar()->value() > 0);
    }

private:
    QWidget m_main;
};

VARKO_TEST_MAIN(TestHelp)
#include "test_help.moc"
