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

Reply reply(quint32 type, const QByteArray &data, quint32 size, long status = Registry::Success)
{
    return Registry::QueryResult{status, type, data, size};
}
// A text value; Windows counts the terminating NUL in the size.
Reply text(const QByteArray &value, bool nulCounted = true)
{
    return reply(Registry::TextValue, value + '\0', quint32(value.size() + (nulCounted ? 1 : 0)));
}
const Reply NoKey;
const Reply NoValue = reply(0, {}, 0, Registry::FileNotFound);

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

// The frames of the icon on show: "", "1", "2" (or "12", never wanted).
QString frames(const QWidget &about)
{
    return QLatin1String(child(about, "If1")->isVisible() ? "1" : "")
           + QLatin1String(child(about, "if2")->isVisible() ? "2" : "");
}

// Steps the clock on by each of `steps` ms, noting the frames after each.
QStringList framesAfter(const QWidget &about, std::initializer_list<int> steps)
{
    QStringList seen;
    for (int ms : steps) {
        TestSupport::clock().advanceInSteps(ms);
        seen << frames(about);
    }
    return seen;
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
    }

    // One instance serves every showing: each opening starts with a whole
    // second of both frames hidden, then the frames go on alternating from
    // where the last showing stopped; nothing ticks while closed.
    void iconsAlternateAcrossShowings()
    {
        frmAbout about;
        QStringList seen;
        TestSupport::scriptDialogs([&seen](QDialog &dialog) {
            seen = framesAfter(dialog, {0, 999, 1, 1000, 1000, 500});
            QTest::mouseClick(child<QPushButton>(dialog, "cmdOK"), Qt::LeftButton);
        });
        QCOMPARE(Modal::exec(about), int(QDialog::Accepted));
        QCOMPARE(seen, QStringList({"", "", "1", "2", "1", "1"}));
        QCOMPARE(child<VTimer>(about, "Timer1")->Interval(), 0);
        TestSupport::clock().advanceMs(5000);

        TestSupport::scriptDialogs([&seen](QDialog &dialog) {
            seen = framesAfter(dialog, {0, 999, 1, 1000});
            dialog.close();
        });
        QCOMPARE(Modal::exec(about), int(QDialog::Rejected));
        QCOMPARE(seen, QStringList({"", "", "2", "1"}));
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
        QTest::addColumn<Reply>("second"); // "<dir>": a folder with the tool, "<bare>": one without
        QTest::addColumn<bool>("startSucceeds");
        QTest::addColumn<QString>("started"); // empty: nothing started
        QTest::addColumn<bool>("askedSecond");

        const QString tool = QStringLiteral("<dir>") + QDir::separator() + QStringLiteral("MSINFO32.EXE");
        const Reply dir = text("<dir>");
        const QString path = QStringLiteral("C:\\Tools\\msinfo.exe"), full(1023, u'a');
        QTest::newRow("first as read, no file there") << text(path.toLatin1()) << NoKey << true << path << false;
        QTest::newRow("first without its NUL") << text("/opt/info", false) << NoKey << true << "/opt/info" << false;
        QTest::newRow("first filling the buffer") << text(full.toLatin1()) << NoKey << true << full << false;
        QTest::newRow("first fails to start") << text("/opt/info") << NoKey << false << "/opt/info" << false;
        QTest::newRow("second with the file") << NoKey << dir << true << tool << true;
        QTest::newRow("first key without value") << NoValue << dir << true << tool << true;
        QTest::newRow("second without the file") << NoKey << text("<bare>") << true << "" << true;
        QTest::newRow("neither") << NoKey << NoKey << true << "" << true;
        QTest::newRow("first of another type")
            << reply(Registry::ExpandTextValue, "%SystemRoot%\\msinfo32.exe", 26) << dir << true << "" << false;
        QTest::newRow("first as a double word")
            << reply(Registry::DwordValue, QByteArray("\x05\x01\0\0", 4), 4) << NoKey << true << "261" << false;
        QTest::newRow("first over 1024 bytes")
            << reply(Registry::TextValue, {}, 1500, Registry::MoreData) << dir << true << tool << true;
        QTest::newRow("size 0") << reply(Registry::TextValue, {}, 0) << dir << true << "" << false;
    }
    void systemInformation()
    {
        QFETCH(Reply, first);
        QFETCH(Reply, second);
        QFETCH(bool, startSucceeds);
        QFETCH(QString, started);
        QFETCH(bool, askedSecond);

        QTemporaryDir folder;
        const QString dir = QDir::toNativeSeparators(folder.path());
        if (second && second->data.startsWith("<")) {
            QFile exe(folder.filePath(QStringLiteral("MSINFO32.EXE")));
            QVERIFY(second->data.startsWith("<bare>") || exe.open(QIODevice::WriteOnly));
            second = text(dir.toLocal8Bit());
        }
        m_registry.replies = {{SysInfoKey, first}, {FolderKey, second}};
        m_starter.succeeds = startSucceeds;

        frmAbout about;
        about.show();
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);

        started.replace(QStringLiteral("<dir>"), dir);
        QCOMPARE(m_starter.started, started.isEmpty() ? QStringList() : QStringList{started});
        QCOMPARE(m_registry.opened, (askedSecond ? QList{SysInfoKey, FolderKey} : QList{SysInfoKey}));
        QVERIFY(m_registry.everyKeyClosed());
        const bool fails = started.isEmpty() || !startSucceeds;
        QCOMPARE(TestSupport::boxes().shown.size(), fails ? 1 : 0);
        if (fails)
            QCOMPARE(TestSupport::boxes().shown.first().prompt,
                     QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili."));
        QVERIFY(about.isVisible());
    }

    // Off Windows the reader answers the first key with the first tool on the
    // search path that may be run (hardinfo is preferred, but not executable).
    void desktopReaderLooksOnPath()
    {
        QTemporaryDir bin;
        for (const char *name : {"hardinfo", "gnome-system-monitor", "kinfocenter"}) {
            QFile f(QDir(bin.path()).filePath(QLatin1String(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(qstrcmp(name, "hardinfo") == 0 || f.setPermissions(f.permissions() | QFile::ExeOwner));
        }
        const QByteArray savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()));
        Registry::installReader(nullptr);
        frmAbout about;
        about.show();
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);
        Registry::Reader &reader = Registry::reader();
        const Registry::Handle key =
            reader.open(Registry::LocalMachine, "software\\microsoft\\shared tools\\msinfo", 0, 0).handle;
        const Registry::QueryResult small = reader.query(key, "PATH", 4);
        qputenv("PATH", savedPath);

        const QString tool = QDir(bin.path()).absoluteFilePath(QStringLiteral("kinfocenter"));
        QCOMPARE(m_starter.started, QStringList{tool});
        QVERIFY(TestSupport::boxes().shown.isEmpty());
        // Like the registry, a buffer too short for the text and its NUL is refused.
        QCOMPARE(small.status, Registry::MoreData);
        QCOMPARE(small.size, quint32(tool.toLocal8Bit().size() + 1));
        QVERIFY(reader.open(Registry::LocalMachine, FolderKey, 0, 0).status != Registry::Success);
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
