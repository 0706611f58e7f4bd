#include "tests/common/TestSupport.h"
#include "ui/HelpViewer.h"
#include "ui/VTimer.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBrowser>

namespace {

const QString ShippedHelp = QStringLiteral(VARKO_HELP_SOURCE);

int viewerWindows()
{
    int n = 0;
    for (const QWidget *w : QApplication::topLevelWidgets())
        n += w->objectName() == QLatin1String("helpViewer") && w->isVisible();
    return n;
}

QString shippedText()
{
    QFile f(ShippedHelp);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(ShippedHelp));
    return QString::fromUtf8(f.readAll());
}

} // namespace

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
        QVERIFY(viewer);
        QCOMPARE(viewer->objectName(), QStringLiteral("helpViewer"));
        QCOMPARE(viewer->windowTitle(), QStringLiteral("Varko Help"));
        QVERIFY(viewer->isWindow() && viewer->isVisible());
        QCOMPARE(viewer->windowModality(), Qt::NonModal);
        QVERIFY(viewer->text().startsWith(QStringLiteral("Varko Chronometer")));
        QCOMPARE(viewer->browser()->verticalScrollBar()->value(), 0);
        QVERIFY(viewer->frameGeometry().left() > m_main.frameGeometry().right());

        // Asked again, the same window comes back at the top.
        QScrollBar *bar = viewer->browser()->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum());
        Help::showContents(ShippedHelp, &m_main);
        QCOMPARE(Help::openViewer(), viewer);
        QCOMPARE(viewerWindows(), 1);
        QCOMPARE(bar->value(), 0);
    }

    // Right of the main window, else left of it, else against the screen's edge.
    void placedBesideTheMainWindow()
    {
        const QRect screen = m_main.screen()->availableGeometry();
        const QList<std::pair<QRect, char>> cases = {
            {QRect(40, 60, 200, 150), 'R'}, {QRect(600, 100, 150, 100), 'L'}, {QRect(0, 0, 780, 300), 'E'}};
        for (const auto &[main, side] : cases) {
            m_main.setGeometry(main);
            Help::showContents(ShippedHelp, &m_main);
            const QRect viewer = Help::openViewer()->frameGeometry();
            const QRect frame = m_main.frameGeometry();
            QVERIFY(screen.contains(viewer));
            QCOMPARE(side == 'R' ? viewer.left() : viewer.right(),
                     side == 'R' ? frame.right() + 1 : side == 'L' ? frame.left() - 1 : screen.right());
            Help::openViewer()->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

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
        if (name == QLatin1String("folder"))
            QVERIFY(QDir(dir.path()).mkdir(name));
        else if (!content.isNull()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }

        VTimer clock;
        int ticks = 0;
        connect(&clock, &VTimer::Timer, this, [&ticks] { ++ticks; });
        clock.setInterval(1000);

        Help::showContents(path, &m_main);
        TestSupport::clock().advanceInSteps(3000);

        HelpViewer *viewer = Help::openViewer();
        QVERIFY(viewer && viewer->isVisible());
        QVERIFY(viewer->text().contains(path));
        QVERIFY(viewer->text().contains(QStringLiteral("not available")));
        QCOMPARE(ticks, 3); // the game goes on meanwhile
        QVERIFY(m_main.isVisible() && m_main.isEnabled());
        QVERIFY(TestSupport::boxes().shown.isEmpty());

        // Once the file is there, the same window shows it.
        Help::showContents(ShippedHelp, &m_main);
        QCOMPARE(Help::openViewer(), viewer);
        QVERIFY(!viewer->text().contains(path));
    }

    void contentsLinksLeadToTheirSections()
    {
        const QString html = shippedText();
        static const QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
        QStringList targets;
        for (const QRegularExpressionMatch &m : link.globalMatch(html))
            targets << m.captured(1);
        QVERIFY(targets.size() >= 8);
        for (const QString &target : targets)
            QVERIFY2(html.contains(QStringLiteral("id=\"%1\"").arg(target)), qPrintable(target));

        Help::showContents(ShippedHelp, &m_main);
        QTextBrowser *browser = Help::openViewer()->browser();
        browser->setSource(QUrl(QStringLiteral("#archive")));
        QVERIFY(browser->verticalScrollBar()->value() > 0);
    }

    // The help names the per-user folder where the program really keeps the
    // archive when its own folder is not writable.
    void helpNamesThePerUserArchiveFolder()
    {
        const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
        qunsetenv("XDG_DATA_HOME");
        const QString savedName = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(QStringLiteral("Varko"));
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QCoreApplication::setApplicationName(savedName);
        if (!savedDataHome.isNull())
            qputenv("XDG_DATA_HOME", savedDataHome);

        const QString relative = QDir::home().relativeFilePath(folder);
        const QString named = QStringLiteral("~/") + relative + QStringLiteral("/Varko.dat");
        QVERIFY2(shippedText().contains(named), qPrintable(named));
    }

private:
    QWidget m_main;
};

VARKO_TEST_MAIN(TestHelp)
#include "test_help.moc"
