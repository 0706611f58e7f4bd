#include "dialogs/frmAbout.h"
#include "tests/common/TestSupport.h"
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

// What the registry answers for a key's one value; without a reply the key
// itself is missing.
using Reply = std::optional<Registry::QueryResult>;

Reply answer(long status, quint32 type, const QByteArray &data, quint32 size)
{
    return Registry::QueryResult{status, type, data, size};
}
// A text value; Windows counts the terminating NUL in the size.
Reply text(const QByteArray &value, bool nulCounted = true)
{
    return answer(Registry::Success, Registry::TextValue, value + '\0', quint32(value.size() + (nulCounted ? 1 : 0)));
}
const Reply NoKey;
const Reply NoValue = answer(Registry::FileNotFound, 0, {}, 0);

class ScriptedRegistry final : public Registry::Reader {
public:
    QHash<QByteArray, Reply> replies;
    QList<QByteArray> opened;

    Registry::OpenResult open(quint32 root, const QByteArray &keyName, quint32 options, quint32 access) override
    {
        QTEST_ASSERT(root == Registry::LocalMachine && options == 0 && access == 0x2003F);
        opened << keyName;
        if (!replies.value(keyName))
            return {Registry::FileNotFound, 0};
        m_open.insert(++m_last, keyName);
        return {Registry::Success, m_last};
    }
    Registry::QueryResult query(Registry::Handle key, const QByteArray &valueName, quint32 bufferSize) override
    {
        QTEST_ASSERT(m_open.contains(key) && bufferSize == 1024);
        QTEST_ASSERT(valueName == (m_open.value(key) == SysInfoKey ? "PATH" : "MSINFO"));
        return *replies.value(m_open.value(key));
    }
    long close(Registry::Handle key) override { return m_open.remove(key) ? Registry::Success : 6; }
    bool everyKeyClosed() const { return m_open.isEmpty(); }

private:
    QHash<Registry::Handle, QByteArray> m_open;
    Registry::Handle m_last = 0;
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

template <class T = ImageControl> T *child(const QWidget &w, const char *name)
{
    T *c = w.findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

bool showing(const QWidget &about, bool first, bool second)
{
    return child(about, "If1")->isVisible() == first && child(about, "if2")->isVisible() == second;
}

} // namespace

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
        const QLabel *credit = child<QLabel>(about, "lblDisclaimer");
        QVERIFY(credit->text().contains(QStringLiteral("2001")));
        QVERIFY(credit->sizeHint().width() <= credit->width()); // one line, not cut off
        QCOMPARE(child<QPushButton>(about, "cmdSysInfo")->text(), QStringLiteral("&System Info..."));
        QCOMPARE(about.focusWidget(), child<QPushButton>(about, "cmdOK"));
        QCOMPARE(about.minimumSize(), QSize(382, 197));
        QCOMPARE(about.maximumSize(), QSize(382, 197));
        QCOMPARE(child(about, "If1")->pos(), QPoint(8, 8));
        QCOMPARE(child(about, "if2")->pos(), QPoint(8, 8));
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
        TestSupport::clock().advanceInSteps(elapsedMs);
        QVERIFY(showing(about, first, second));
    }

    // One instance serves every showing: the phase goes on where it stopped,
    // and each opening starts with a whole second of both frames hidden.
    void phaseSurvivesClosing()
    {
        frmAbout about;
        TestSupport::scriptDialogs([](QDialog &dialog) {
            TestSupport::clock().advanceMs(1500); // the first frame shown, and half a second more
            QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
        });
        QCOMPARE(Modal::exec(about), int(QDialog::Accepted));
        QCOMPARE(child<VTimer>(about, "Timer1")->Interval(), 0);
        TestSupport::clock().advanceMs(5000); // closed: nothing ticks

        QList<bool> seen;
        TestSupport::scriptDialogs([&seen](QDialog &dialog) {
            for (int ms : {0, 999, 1, 1000}) {
                TestSupport::clock().advanceMs(ms);
                seen << showing(dialog, false, false) << showing(dialog, false, true) << showing(dialog, true, false);
            }
            dialog.close();
        });
        QCOMPARE(Modal::exec(about), int(QDialog::Rejected));
        const QList<bool> expected = {true, false, false, true, false, false, false, true, false, false, false, true};
        QCOMPARE(seen, expected);
        QCOMPARE(child<VTimer>(about, "Timer1")->Interval(), 0);
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
        QVERIFY(m_starter.started.isEmpty());
    }

    void systemInformation_data()
    {
        QTest::addColumn<Reply>("first");
        QTest::addColumn<Reply>("second"); // "<dir>" stands for a folder
        QTest::addColumn<bool>("fileInFolder");
        QTest::addColumn<bool>("startSucceeds");
        QTest::addColumn<QString>("started"); // empty: nothing started
        QTest::addColumn<bool>("askedSecond");

        const QString tool = QStringLiteral("<dir>") + QDir::separator() + QStringLiteral("MSINFO32.EXE");
        const Reply tooLong = answer(Registry::MoreData, Registry::TextValue, {}, 1500);
        QTest::newRow("first as read, no file there")
            << text("C:\\Tools\\msinfo.exe") << NoKey << false << true << "C:\\Tools\\msinfo.exe" << false;
        QTest::newRow("first without its NUL") << text("/opt/info", false) << NoKey << false << true << "/opt/info"
                                               << false;
        QTest::newRow("first filling the buffer")
            << text(QByteArray(1023, 'a')) << NoKey << false << true << QString(1023, u'a') << false;
        QTest::newRow("first fails to start") << text("/opt/info") << NoKey << false << false << "/opt/info" << false;
        QTest::newRow("second with the file") << NoKey << text("<dir>") << true << true << tool << true;
        QTest::newRow("first key without value") << NoValue << text("<dir>") << true << true << tool << true;
        QTest::newRow("second without the file") << NoKey << text("<dir>") << false << true << "" << true;
        QTest::newRow("neither") << NoKey << NoKey << true << true << "" << true;
        QTest::newRow("first of another type")
            << answer(Registry::Success, Registry::ExpandTextValue, "%SystemRoot%\\msinfo32.exe", 26) << text("<dir>")
            << true << true << "" << false;
        QTest::newRow("first as a double word")
            << answer(Registry::Success, Registry::DwordValue, QByteArray("\x05\x01\0\0", 4), 4) << NoKey << false
            << true << "261" << false;
        QTest::newRow("first over 1024 bytes") << tooLong << NoKey << false << true << "" << true;
        QTest::newRow("first over 1024, second") << tooLong << text("<dir>") << true << true << tool << true;
        QTest::newRow("size 0") << answer(Registry::Success, Registry::TextValue, {}, 0) << text("<dir>") << true << true
                                << "" << false;
        QTest::newRow("size past the buffer") << answer(Registry::Success, Registry::TextValue, "x", 4096)
                                              << text("<dir>") << true << true << "" << false;
    }
    void systemInformation()
    {
        QFETCH(Reply, first);
        QFETCH(Reply, second);
        QFETCH(bool, fileInFolder);
        QFETCH(bool, startSucceeds);
        QFETCH(QString, started);
        QFETCH(bool, askedSecond);

        QTemporaryDir folder;
        const QString dir = QDir::toNativeSeparators(folder.path());
        QFile exe(folder.filePath(QStringLiteral("MSINFO32.EXE")));
        QVERIFY(!fileInFolder || exe.open(QIODevice::WriteOnly));
        if (second && second->data.startsWith("<dir>"))
            second = text(dir.toLocal8Bit());
        m_registry.replies = {{SysInfoKey, first}, {FolderKey, second}};
        m_starter.succeeds = startSucceeds;

        frmAbout about;
        about.show();
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);

        started.replace(QStringLiteral("<dir>"), dir);
        QCOMPARE(m_starter.started, started.isEmpty() ? QStringList() : QStringList{started});
        const QList<QByteArray> asked = askedSecond ? QList{SysInfoKey, FolderKey} : QList{SysInfoKey};
        QCOMPARE(m_registry.opened, asked);
        QVERIFY(m_registry.everyKeyClosed());
        const bool fails = started.isEmpty() || !startSucceeds;
        QCOMPARE(TestSupport::boxes().shown.size(), fails ? 1 : 0);
        if (fails) {
            const MsgBox::Request box = TestSupport::boxes().shown.first();
            QCOMPARE(box.prompt, QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili."));
            QCOMPARE(box.title, QStringLiteral("Varko"));
            QCOMPARE(box.buttons, MsgBox::Buttons::Ok);
        }
        QVERIFY(about.isVisible());
    }

    void desktopReaderLooksOnPath_data()
    {
        QTest::addColumn<QStringList>("installed"); // a leading '-': not executable
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QStringList{} << QString();
        QTest::newRow("one") << QStringList{"kinfocenter"} << "kinfocenter";
        QTest::newRow("the first in order") << QStringList{"gnome-system-monitor", "hardinfo"} << "hardinfo";
        QTest::newRow("not executable") << QStringList{"-hardinfo"} << QString();
    }
    void desktopReaderLooksOnPath()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, expected);
        QTemporaryDir bin;
        for (const QString &entry : installed) {
            QFile f(bin.filePath(QString(entry).remove(u'-')));
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (!entry.startsWith(u'-'))
                f.setPermissions(f.permissions() | QFile::ExeOwner);
        }
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
        Registry::installReader(nullptr);
        frmAbout about;
        about.show();
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);
        // Like the registry, a buffer too short for the text and its NUL is refused.
        Registry::Reader &reader = Registry::reader();
        const Registry::QueryResult small =
            reader.query(reader.open(Registry::LocalMachine, "software\\microsoft\\shared tools\\msinfo", 0, 0)
                             .handle,
                         "PATH", 4);
        const long folderKey = reader.open(Registry::LocalMachine, FolderKey, 0, 0).status;
        qputenv("PATH", savedPath);

        const QString tool = expected.isEmpty() ? QString() : QDir(bin.path()).absoluteFilePath(expected);
        QCOMPARE(m_starter.started, tool.isEmpty() ? QStringList() : QStringList{tool});
        QCOMPARE(TestSupport::boxes().shown.size(), tool.isEmpty() ? 1 : 0);
        QCOMPARE(small.status, tool.isEmpty() ? Registry::FileNotFound : Registry::MoreData);
        QCOMPARE(small.size, tool.isEmpty() ? 0u : quint32(tool.toLocal8Bit().size() + 1));
        QVERIFY(folderKey != Registry::Success);
    }

    void realStarterReportsFailure()
    {
        ProgramStarter::installSeam(nullptr);
        for (const QString &path : {QString(), QStringLiteral("/nonexistent/msinfo32"), QDir::tempPath()})
            QVERIFY2(!ProgramStarter::start(path), qPrintable(path));
    }

private:
    ScriptedRegistry m_registry;
    ScriptedStarter m_starter;
};

VARKO_TEST_MAIN(TestAbout)
#include "test_about.moc"
