#include "tests/common/TestSupport.h"
#include "ui/AppInfo.h"
#include "ui/HelpViewer.h"
#include "ui/VTimer.h"

#include <QDir>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>

// The viewer opened beside `main`, or nullptr when none is open.
static HelpViewer *viewerOf(const QWidget &main)
{
    return main.findChild<HelpViewer *>();
}

static QString textOf(const HelpViewer &viewer)
{
    return viewer.findChild<QTextBrowser *>()->toPlainText();
}

class TestHelp : public TestSupport::TestCase {
    Q_OBJECT
private slots:
    // A missing file is reported in the viewer itself, naming the file, while
    // the game's clock goes on. Once the file is there the same window shows
    // it, beside the main window and from the top, and again from the top
    // each time it is asked for. Closing the viewer frees it.
    void viewerShowsTheFileOrWhyNot()
    {
        QWidget main;
        main.setGeometry(40, 60, 200, 150);
        main.show();
        QTemporaryDir dir;
        const QString missing = QDir::toNativeSeparators(dir.filePath(QStringLiteral("VARKOHELP.HLP")));
        VTimer clock;
        QSignalSpy ticks(&clock, &VTimer::Timer);
        clock.setInterval(1000);
        Help::showContents(missing, &main);
        TestSupport::clock().advanceInSteps(3000);
        HelpViewer *viewer = viewerOf(main);
        QVERIFY(viewer && viewer->isVisible());
        QVERIFY2(textOf(*viewer).contains(missing), qPrintable(textOf(*viewer)));
        QCOMPARE(ticks.count(), 3);
        QVERIFY(main.isEnabled() && TestSupport::boxes().shown.isEmpty());

        QScrollBar *bar = viewer->findChild<QTextBrowser *>()->verticalScrollBar();
        for (int showing = 0; showing < 2; ++showing) {
            Help::showContents(QStringLiteral(VARKO_HELP_SOURCE), &main);
            QCOMPARE(main.findChildren<HelpViewer *>(), QList<HelpViewer *>{viewer});
            QVERIFY(textOf(*viewer).startsWith(QStringLiteral("Varko Chronometer")));
            QVERIFY(viewer->frameGeometry().left() > main.frameGeometry().right());
            QCOMPARE(bar->value(), 0);
            QVERIFY(bar->maximum() > 0);
            bar->setValue(bar->maximum());
        }
        // Escape and Ctrl+W close the viewer when it has the keyboard.
        for (const QKeySequence &keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
            Help::showContents(QStringLiteral(VARKO_HELP_SOURCE), &main);
            viewerOf(main)->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(viewerOf(main)));
            QTest::keySequence(viewerOf(main)->findChild<QTextBrowser *>(), keys);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!viewerOf(main));
        }
    }

    // The program in <root>/bin: its own folder first, then <root>/share/varko.
    void helpFileIsBesideTheProgramOrInTheSharedData_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("found");
        QTest::newRow("only beside") << QStringList{"bin"} << "bin";
        QTest::newRow("only shared") << QStringList{"share/varko"} << "share/varko";
        QTest::newRow("both") << QStringList{"bin", "share/varko"} << "bin";
        QTest::newRow("neither: beside, reported by the viewer") << QStringList() << "bin";
    }
    void helpFileIsBesideTheProgramOrInTheSharedData()
    {
        QFETCH(QStringList, present);
        QFETCH(QString, found);
        QTemporaryDir root;
        const QDir dir(root.path());
        for (const QString &folder : present) {
            QFile file(dir.filePath(folder + QStringLiteral("/VARKOHELP.HLP")));
            QVERIFY(dir.mkpath(folder) && file.open(QIODevice::WriteOnly));
        }
        App::overridePath(dir.filePath(QStringLiteral("bin")));
        const QString located = App::locateHelpFile();
        App::overridePath(QString());
        QCOMPARE(located, QDir::toNativeSeparators(dir.filePath(found + QStringLiteral("/VARKOHELP.HLP"))));
    }
};

VARKO_TEST_MAIN(TestHelp)
#include "test_help.moc"
