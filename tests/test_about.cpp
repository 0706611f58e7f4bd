#include "dialogs/frmAbout.h"
#include "tests/common/TestSupport.h"
#include "ui/ImageControl.h"
#include "ui/Modal.h"
#include "ui/ProgramStarter.h"
#include "ui/Registry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
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
Reply text(const QByteArray &value)
{
    return reply(Registry::TextValue, value + '\0', quint32(value.size() + 1));
}
const Reply NoKey;

// Handle 1 is the tool's key, 2 the folder's; each is asked for its own value.
class ScriptedRegistry final : public Registry::Reader {
public:
    Reply replies[3]; // by handle; none for 0, any other key
    int openKeys = 0;

    Registry::OpenResult open(quint32 root, const QByteArray &keyName, quint32 options,
                              quint32 access) override
    {
        QTEST_ASSERT(root == Registry::LocalMachine && !options && access == Registry::KeyAccess);
        const Registry::Handle key = keyName == SysInfoKey ? 1 : keyName == FolderKey ? 2 : 0;
        if (!replies[key])
            return {Registry::FileNotFound, 0};
        ++openKeys;
        return {Registry::Success, key};
    }
    Registry::QueryResult query(Registry::Handle key, const QByteArray &valueName,
                                quint32 bufferSize) override
    {
        QTEST_ASSERT(key && bufferSize == 1024 && valueName == (key == 1 ? "PATH" : "MSINFO"));
        return *replies[key];
    }
    long close(Registry::Handle key) override { return key && openKeys-- > 0 ? Registry::Success : 6; }
};

// Records what it is asked to start; a program named "broken" fails to start.
class ScriptedStarter final : public ProgramStarter::Seam {
public:
    QStringList started;
    bool start(const QString &path) override
    {
        started << path;
        return !path.endsWith(QLatin1String("broken"));
    }
};

template <class T = ImageControl> T *child(const QWidget &w, const char *name)
{
    T *c = w.findChild<T *>(QLatin1String(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

// Steps the clock on by each of `steps` ms, noting the icon frames on show
// after each: "", "1", "2" (or "12", never wanted).
QStringList framesAfter(const QWidget &about, std::initializer_list<int> steps)
{
    QStringList seen;
    for (int ms : steps) {
        TestSupport::clock().advanceInSteps(ms);
        seen << QLatin1String(child(about, "If1")->isVisible() ? "1" : "") +
                    QLatin1String(child(about, "if2")->isVisible() ? "2" : "");
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

    void closingKeys()
    {
        frmAbout about;
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            about.show();
            QTest::keyClick(about.focusWidget(), key);
            QVERIFY2(!about.isVisible(), qPrintable(QString::number(key, 16)));
        }
    }

    void blackTextsKeepALightGroundInADarkTheme()
    {
        const QPalette theme = QApplication::palette();
        QPalette dark = theme;
        dark.setColor(QPalette::Window, QColor(30, 30, 30));
        dark.setColor(QPalette::WindowText, Qt::white);
        QApplication::setPalette(dark);
        frmAbout about;
        QApplication::setPalette(theme);
        for (const char *name : {"lblTitle", "lblDisclaimer"}) {
            const QImage shot = child<QLabel>(about, name)->grab().toImage();
            int darkest = 255;
            for (int x = 0; x < shot.width(); ++x)
                darkest = std::min(darkest, shot.pixelColor(x, shot.height() / 2).lightness());
            QVERIFY2(shot.pixelColor(0, 0).lightness() > 200 && darkest < 60, name);
        }
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
        TestSupport::clock().advanceMs(5000);

        TestSupport::scriptDialogs([&seen](QDialog &dialog) {
            seen = framesAfter(dialog, {0, 999, 1, 1000});
            dialog.close();
        });
        QCOMPARE(Modal::exec(about), int(QDialog::Rejected));
        QCOMPARE(seen, QStringList({"", "", "2", "1"}));
    }

    void systemInformation_data()
    {
        QTest::addColumn<Reply>("first");
        QTest::addColumn<Reply>("second");    // "<dir>": a folder with the tool, "<bare>": one without
        QTest::addColumn<QString>("started"); // empty: nothing started

        const QString tool = QStringLiteral("<dir>") + QDir::separator() + QStringLiteral("MSINFO32.EXE");
        const Reply dir = text("<dir>");
        QTest::newRow("first as read, no file there, NUL cut")
            << text("C:\\Tools\\msinfo.exe") << NoKey << "C:\\Tools\\msinfo.exe";
        QTest::newRow("first fails to start") << text("/opt/broken") << NoKey << "/opt/broken";
        QTest::newRow("second with the file") << NoKey << dir << tool;
        QTest::newRow("second without the file") << NoKey << text("<bare>") << "";
        QTest::newRow("neither") << NoKey << NoKey << "";
        QTest::newRow("first of another type")
            << reply(Registry::ExpandTextValue, "%SystemRoot%\\msinfo32.exe", 26) << dir << "";
        QTest::newRow("first over 1024 bytes")
            << reply(Registry::TextValue, {}, 1500, Registry::MoreData) << dir << tool;
        QTest::newRow("size 0") << reply(Registry::TextValue, {}, 0) << dir << "";
    }
    void systemInformation()
    {
        QFETCH(Reply, first);
        QFETCH(Reply, second);
        QFETCH(QString, started);

        QTemporaryDir folder;
        const QString dir = QDir::toNativeSeparators(folder.path());
        if (second) {
            QFile exe(folder.filePath(QStringLiteral("MSINFO32.EXE")));
            QVERIFY(second->data.startsWith("<bare>") || exe.open(QIODevice::WriteOnly));
            second = text(dir.toLocal8Bit());
        }
        m_registry.replies[1] = first;
        m_registry.replies[2] = second;

        frmAbout about;
        about.show();
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);

        started.replace(QStringLiteral("<dir>"), dir);
        QCOMPARE(m_starter.started, started.isEmpty() ? QStringList() : QStringList{started});
        QCOMPARE(m_registry.openKeys, 0);
        const bool fails = started.isEmpty() || started.endsWith(QLatin1String("broken"));
        QCOMPARE(TestSupport::boxes().shown.size(), fails ? 1 : 0);
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
        qputenv("PATH", savedPath);

        QCOMPARE(m_starter.started, QStringList{QDir(bin.path()).filePath(QStringLiteral("kinfocenter"))});
    }

private:
    ScriptedRegistry m_registry;
    ScriptedStarter m_starter;
};

VARKO_TEST_MAIN(TestAbout)
#include "test_about.moc"
