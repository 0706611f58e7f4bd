#include "dialogs/frmAbout.h"
#include "tests/common/TestSupport.h"
#include "ui/AppInfo.h"
#include "ui/ImageControl.h"
#include "ui/Modal.h"
#include "ui/ProgramStarter.h"
#include "ui/Registry.h"
#include "ui/VTimer.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

namespace {

const QByteArray SysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray FolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
const QString Unavailable = QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili.");

// What the registry answers for one value. A key that is absent fails to open.
struct Reply {
    enum Kind { KeyAbsent, ValueAbsent, Answered } kind = KeyAbsent;
    Registry::QueryResult result;
};

Reply keyAbsent() { return {}; }
Reply valueAbsent() { return {Reply::ValueAbsent, {}}; }
Reply answer(long status, quint32 type, const QByteArray &data, quint32 size)
{
    return {Reply::Answered, {status, type, data, size}};
}
// A text value; Windows counts the terminating NUL in the size.
Reply text(const QByteArray &value, bool nulCounted = true)
{
    const QByteArray data = value + '\0';
    return answer(Registry::Success, Registry::REG_SZ, data, quint32(value.size() + (nulCounted ? 1 : 0)));
}

// A registry that answers from a script and keeps a log of the calls.
class ScriptedRegistry final : public Registry::Reader {
public:
    QHash<QByteArray, QPair<QByteArray, Reply>> keys; // key name -> value name and reply
    QStringList log;

    Registry::OpenResult open(quint32 root, const QByteArray &keyName, quint32 options, quint32 access) override
    {
        log << QStringLiteral("open %1").arg(QString::fromLatin1(keyName));
        QTEST_ASSERT(root == Registry::HKEY_LOCAL_MACHINE && options == 0 && access == 0x2003F);
        if (keys.value(keyName).second.kind == Reply::KeyAbsent)
            return {Registry::FileNotFound, 0};
        const Registry::Handle h = ++m_lastHandle;
        m_open.insert(h, keyName);
        return {Registry::Success, h};
    }
    Registry::QueryResult query(Registry::Handle key, const QByteArray &valueName, quint32 bufferSize) override
    {
        log << QStringLiteral("query %1 %2").arg(QString::fromLatin1(valueName)).arg(bufferSize);
        QTEST_ASSERT(m_open.contains(key));
        const QPair<QByteArray, Reply> entry = keys.value(m_open.value(key));
        if (entry.first != valueName || entry.second.kind != Reply::Answered)
            return {Registry::FileNotFound, 0, {}, 0};
        return entry.second.result;
    }
    long close(Registry::Handle key) override
    {
        log << QStringLiteral("close");
        return m_open.remove(key) ? Registry::Success : 6;
    }
    bool everyKeyClosed() const { return m_open.isEmpty(); }

private:
    QHash<Registry::Handle, QByteArray> m_open;
    Registry::Handle m_lastHandle = 0;
};

class ScriptedStarter final : public ProgramStarter::Seam {
public:
    QStringList started;
    bool succeeds = true;
    bool start(const QString &path) override
    {
        started << path;
        return succeeds;
    }
};

template <class T> T *child(const QWidget &w, const char *name)
{
    T *c = w.findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

void advanceSeconds(int seconds)
{
    TestSupport::clock().advanceMs(qint64(seconds) * 1000);
}

} // namespace

Q_DECLARE_METATYPE(Reply)

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        TestSupport::boxes().reset();
        m_registry = ScriptedRegistry();
        m_starter = ScriptedStarter();
        Registry::installReader(&m_registry);
        ProgramStarter::installSeam(&m_starter);
    }
    void cleanup()
    {
        Registry::installReader(nullptr);
        ProgramStarter::installSeam(nullptr);
        TestSupport::stopScriptingDialogs();
    }

    void texts()
    {
        frmAbout about;
        about.show();
        QCOMPARE(about.windowTitle(), QStringLiteral("About Varko"));
        QCOMPARE(child<QLabel>(about, "lblVersion")->text(), QStringLiteral("Version 1.1.9"));
        QCOMPARE(child<QLabel>(about, "lblTitle")->text(), QStringLiteral("Varko Dulvermant"));
        QVERIFY(child<QLabel>(about, "lblDisclaimer")->text().contains(QStringLiteral("2001")));
        QCOMPARE(child<QPushButton>(about, "cmdSysInfo")->text(), QStringLiteral("&System Info..."));
        QVERIFY(child<QPushButton>(about, "cmdOK")->isDefault());
        QCOMPARE(about.focusWidget(), child<QPushButton>(about, "cmdOK"));
        QCOMPARE(about.size(), QSize(382, 197));
        QCOMPARE(about.minimumSize(), about.maximumSize()); // a fixed border
        QVERIFY(!about.windowIcon().isNull());
        QCOMPARE(about.findChildren<QWidget *>(QStringLiteral("Line1")).size(), 2);
    }

    void iconsAlternate_data()
    {
        QTest::addColumn<int>("elapsedMs");
        QTest::addColumn<bool>("first");
        QTest::addColumn<bool>("second");
        QTest::newRow("at opening") << 0 << false << false;
        QTest::newRow("just before a second") << 999 << false << false;
        QTest::newRow("1 s") << 1000 << true << false;
        QTest::newRow("2 s") << 2000 << false << true;
        QTest::newRow("3 s") << 3000 << true << false;
        QTest::newRow("4.5 s") << 4500 << false << true;
    }
    void iconsAlternate()
    {
        QFETCH(int, elapsedMs);
        QFETCH(bool, first);
        QFETCH(bool, second);
        frmAbout about;
        about.show();
        ImageControl *If1 = child<ImageControl>(about, "If1");
        ImageControl *if2 = child<ImageControl>(about, "if2");
        QCOMPARE(If1->pos(), QPoint(8, 8));
        QCOMPARE(if2->pos(), If1->pos());
        QCOMPARE(If1->picture(), QStringLiteral(":/about/frame1.svg"));
        QCOMPARE(if2->picture(), QStringLiteral(":/about/frame2.svg"));
        TestSupport::clock().advanceInSteps(elapsedMs);
        QCOMPARE(If1->isVisible(), first);
        QCOMPARE(if2->isVisible(), second);
    }

    // One instance serves every showing: the phase goes on where it stopped,
    // and each opening starts with a whole second of both frames hidden.
    void phaseSurvivesClosing()
    {
        auto about = std::make_unique<frmAbout>();
        ImageControl *If1 = child<ImageControl>(*about, "If1");
        ImageControl *if2 = child<ImageControl>(*about, "if2");
        VTimer *Timer1 = about->findChild<VTimer *>(QStringLiteral("Timer1"));
        QVERIFY(Timer1);

        TestSupport::scriptDialogs([](QDialog &dialog) {
            TestSupport::clock().advanceMs(1500); // one frame shown, half a second more
            QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
        });
        QCOMPARE(Modal::exec(*about), int(QDialog::Accepted));
        QCOMPARE(Timer1->Interval(), 0);
        advanceSeconds(5); // closed: nothing ticks

        bool hiddenAtOpening = false, hiddenJustBefore = false, secondFrameNext = false, firstAfter = false;
        TestSupport::scriptDialogs([&](QDialog &dialog) {
            hiddenAtOpening = !If1->isVisible() && !if2->isVisible();
            TestSupport::clock().advanceMs(999);
            hiddenJustBefore = !If1->isVisible() && !if2->isVisible();
            TestSupport::clock().advanceMs(1);
            secondFrameNext = !If1->isVisible() && if2->isVisible();
            advanceSeconds(1);
            firstAfter = If1->isVisible() && !if2->isVisible();
            dialog.close();
        });
        QCOMPARE(Modal::exec(*about), int(QDialog::Rejected));
        QVERIFY(hiddenAtOpening);
        QVERIFY(hiddenJustBefore);
        QVERIFY(secondFrameNext);
        QVERIFY(firstAfter);
        QCOMPARE(Timer1->Interval(), 0);
    }

    void enterAndEscapeClose_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::newRow("return") << Qt::Key_Return;
        QTest::newRow("enter") << Qt::Key_Enter;
        QTest::newRow("escape") << Qt::Key_Escape;
    }
    void enterAndEscapeClose()
    {
        QFETCH(Qt::Key, key);
        frmAbout about;
        about.show();
        QApplication::setActiveWindow(&about);
        QTest::keyClick(about.focusWidget(), key);
        QVERIFY(!about.isVisible());
        QCOMPARE(about.findChild<VTimer *>(QStringLiteral("Timer1"))->Interval(), 0);
        QVERIFY(m_starter.started.isEmpty());
    }

    void systemInformation_data()
    {
        QTest::addColumn<Reply>("first");
        QTest::addColumn<Reply>("second");
        QTest::addColumn<bool>("fileInFolder");
        QTest::addColumn<bool>("startSucceeds");
        QTest::addColumn<QStringList>("started"); // "<dir>" stands for the tool's folder
        QTest::addColumn<bool>("message");
        QTest::addColumn<QStringList>("calls");

        const QStringList firstRead = {"open " + SysInfoKey, "query PATH 1024", "close"};
        const QStringList bothRead = firstRead + QStringList{"open " + FolderKey, "query MSINFO 1024", "close"};
        const QStringList firstReadSecondAbsent = firstRead + QStringList{"open " + FolderKey};
        const QStringList neitherKey = {"open " + SysInfoKey, "open " + FolderKey};
        const QString tool = QStringLiteral("<dir>") + QDir::separator() + QStringLiteral("MSINFO32.EXE");

        QTest::newRow("first value started as read, no file there")
            << text("C:\\Tools\\msinfo.exe") << keyAbsent() << false << true
            << QStringList{"C:\\Tools\\msinfo.exe"} << false << firstRead;
        QTest::newRow("first value without its NUL keeps every character")
            << text("/opt/info", false) << keyAbsent() << false << true << QStringList{"/opt/info"} << false
            << firstRead;
        QTest::newRow("first value filling the whole buffer")
            << text(QByteArray(1023, 'a')) << keyAbsent() << false << true << QStringList{QString(1023, u'a')}
            << false << firstRead;
        QTest::newRow("first value fails to start")
            << text("/opt/info") << keyAbsent() << false << false << QStringList{"/opt/info"} << true
            << firstRead;
        QTest::newRow("second value with the file") << keyAbsent() << text("<dir>") << true << true
                                                     << QStringList{tool} << false
                                                     << QStringList{"open " + SysInfoKey, "open " + FolderKey,
                                                                    "query MSINFO 1024", "close"};
        QTest::newRow("first key without its value, second with the file")
            << valueAbsent() << text("<dir>") << true << true << QStringList{tool} << false << bothRead;
        QTest::newRow("second value without the file")
            << keyAbsent() << text("<dir>") << false << true << QStringList{} << true
            << QStringList{"open " + SysInfoKey, "open " + FolderKey, "query MSINFO 1024", "close"};
        QTest::newRow("neither") << keyAbsent() << keyAbsent() << true << true << QStringList{} << true
                                 << neitherKey;
        QTest::newRow("first value of another type")
            << answer(Registry::Success, Registry::REG_EXPAND_SZ, "%SystemRoot%\\msinfo32.exe", 27)
            << text("<dir>") << true << true << QStringList{} << true << firstRead;
        QTest::newRow("first value as a double word")
            << answer(Registry::Success, Registry::REG_DWORD, QByteArray("\x05\x01\x00\x00", 4), 4)
            << keyAbsent() << false << true << QStringList{"261"} << false << firstRead;
        QTest::newRow("first value over 1024 bytes counts as absent")
            << answer(Registry::MoreData, Registry::REG_SZ, {}, 1500) << keyAbsent() << false << true
            << QStringList{} << true << firstReadSecondAbsent;
        QTest::newRow("first over 1024 bytes, second with the file")
            << answer(Registry::MoreData, Registry::REG_SZ, {}, 1500) << text("<dir>") << true << true
            << QStringList{tool} << false << bothRead;
        QTest::newRow("size 0 is a failure")
            << answer(Registry::Success, Registry::REG_SZ, {}, 0) << text("<dir>") << true << true
            << QStringList{} << true << firstRead;
        QTest::newRow("size beyond the buffer is a failure")
            << answer(Registry::Success, Registry::REG_SZ, QByteArray(1024, 'b'), 4096) << text("<dir>") << true
            << true << QStringList{} << true << firstRead;
    }
    void systemInformation()
    {
        QFETCH(Reply, first);
        QFETCH(Reply, second);
        QFETCH(bool, fileInFolder);
        QFETCH(bool, startSucceeds);
        QFETCH(QStringList, started);
        QFETCH(bool, message);
        QFETCH(QStringList, calls);

        QTemporaryDir folder;
        const QString dir = QDir::toNativeSeparators(folder.path());
        if (fileInFolder) {
            QFile exe(folder.filePath(QStringLiteral("MSINFO32.EXE")));
            QVERIFY(exe.open(QIODevice::WriteOnly));
        }
        second.result.data.replace("<dir>", dir.toLocal8Bit());
        if (second.result.size > 0)
            second.result.size = quint32(second.result.data.size()); // the folder's text with its NUL
        m_registry.keys.insert(SysInfoKey, {"PATH", first});
        m_registry.keys.insert(FolderKey, {"MSINFO", second});
        m_starter.succeeds = startSucceeds;

        frmAbout about;
        about.show();
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);

        QCOMPARE(m_starter.started, started.replaceInStrings(QStringLiteral("<dir>"), dir));
        QCOMPARE(m_registry.log, calls);
        QVERIFY(m_registry.everyKeyClosed());
        QCOMPARE(TestSupport::boxes().shown.size(), message ? 1 : 0);
        if (message) {
            const MsgBox::Request box = TestSupport::boxes().shown.first();
            QCOMPARE(box.prompt, Unavailable);
            QCOMPARE(box.title, QStringLiteral("Varko"));
            QCOMPARE(box.buttons, MsgBox::Buttons::Ok);
        }
        QVERIFY(about.isVisible()); // the box stays open, and can start the tool again
    }

    void desktopReaderFindsAToolOnPath_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QStringList{} << QString();
        QTest::newRow("one") << QStringList{"kinfocenter"} << "kinfocenter";
        QTest::newRow("the first in order wins") << QStringList{"gnome-system-monitor", "hardinfo"} << "hardinfo";
        QTest::newRow("not executable is no tool") << QStringList{"-hardinfo"} << QString();
    }
    void desktopReaderFindsAToolOnPath()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, expected);
        QTemporaryDir bin;
        for (QString name : installed) {
            const bool executable = !name.startsWith(u'-');
            name.remove(u'-');
            QFile f(bin.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\n");
            f.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                        : QFile::ReadOwner | QFile::WriteOwner);
        }
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
        Registry::installReader(nullptr);

        frmAbout about;
        about.show();
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);
        const QString tool = expected.isEmpty() ? QString() : QDir(bin.path()).absoluteFilePath(expected);

        // The reader answers like the registry: the NUL counted, a short buffer refused.
        Registry::Reader &reader = Registry::reader();
        const Registry::OpenResult key =
            reader.open(Registry::HKEY_LOCAL_MACHINE, "software\\microsoft\\shared tools\\msinfo", 0, 0x2003F);
        const Registry::QueryResult small = reader.query(key.handle, "PATH", 4);
        const long folderKey = reader.open(Registry::HKEY_LOCAL_MACHINE, FolderKey, 0, 0x2003F).status;
        reader.close(key.handle);
        qputenv("PATH", savedPath);

        QCOMPARE(m_starter.started, tool.isEmpty() ? QStringList{} : QStringList{tool});
        QCOMPARE(TestSupport::boxes().shown.size(), tool.isEmpty() ? 1 : 0);
        QCOMPARE(key.status, Registry::Success);
        QCOMPARE(small.status, tool.isEmpty() ? Registry::FileNotFound : Registry::MoreData);
        QCOMPARE(small.size, tool.isEmpty() ? 0u : quint32(tool.toLocal8Bit().size() + 1));
        QVERIFY(folderKey != Registry::Success);
    }

    void realStarterReportsFailure_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("empty") << QString();
        QTest::newRow("missing") << QStringLiteral("/nonexistent/folder/msinfo32");
        QTest::newRow("a folder") << QDir::tempPath();
    }
    void realStarterReportsFailure()
    {
        QFETCH(QString, path);
        ProgramStarter::installSeam(nullptr);
        QVERIFY(!ProgramStarter::start(path));
    }

private:
    ScriptedRegistry m_registry;
    ScriptedStarter m_starter;
};

VARKO_TEST_MAIN(TestAbout)
#include "test_about.moc"
