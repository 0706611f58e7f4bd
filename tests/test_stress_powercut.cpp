// Power cuts during saves, as a disk loses them: after every step of every
// kind of save, in turn, what was not synced is kept, dropped or scrambled
// sector by sector, several ways per step; then the program starts again. Every
// save that was reported done must be there byte for byte, the interrupted
// one wholly or not at all, and nothing else may change.
#include "tests/common/TestSupport.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveStartup.h"
#include "archive/FileSystem.h"
#include "archive/GameRecord.h"
#include "archive/RestoreGame.h"
#include "archive/SavedGamesModel.h"
#include "tests/tools/StressPlan.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <map>
#include <random>
#include <set>

namespace {

constexpr int WaysPerStep = 100;
constexpr qint64 SectorSize = 512, PageSize = 4096;
const QString PowerOff = QStringLiteral("the power is off");

struct Inode {
    QByteArray data, synced;
    std::set<qint64> dirty; // sectors written since the last sync
};
using InodePtr = std::shared_ptr<Inode>;
// How a cut treats what was not synced.
enum class Cut { KeepAll, DropAll, Random };

// A disk that can lose power: an in-memory file system that remembers, for
// each file, what was last synced and which 512-byte sectors (and whether its
// length) changed since, every sector of a 4 KiB page a write touches, as the
// system writes back whole pages; and, for the folder, which names were created or
// removed since it was last synced. A power cut after a chosen step decides
// for each of those, by seeded pseudo-random choice, whether it reached the
// disk: a sector is kept, dropped (its synced bytes) or scrambled; a length
// or a name is the new or the old one. Every call after the cut fails.
class SimulatedDisk : public FileSystem {
public:
    // The power goes right after step `step` (a write, truncation, sync,
    // creation, removal or folder sync; counted from 1 since the last
    // restart()). 0: never.
    void cutAfter(int step, Cut how = Cut::Random, quint32 seed = 0)
    {
        m_cutAt = step;
        m_how = how;
        m_random.seed(seed);
    }
    bool isCut() const { return m_cut; }
    void stepDone() { m_cut = m_cut || ++m_steps == m_cutAt; }
    // The power is back: what survived the cut, or without one all that was
    // written, is what the files hold from now on, all of it synced.
    void restart()
    {
        std::map<QString, InodePtr> files;
        for (const auto &[path, now] : m_names)
            files[path] = fileOf(m_cut ? survivor(path) : now ? std::optional(now->data) : std::nullopt);
        m_names = m_syncedNames = files;
        m_steps = m_cutAt = 0;
        m_cut = false;
    }
    // A file's bytes; nullopt: no file.
    std::optional<QByteArray> contents(const QString &path)
    {
        return m_names[path] ? std::optional(m_names[path]->data) : std::nullopt;
    }
    void setContents(const QString &path, const std::optional<QByteArray> &bytes)
    {
        m_names[path] = m_syncedNames[path] = fileOf(bytes);
    }

    Result<std::unique_ptr<FileHandle>> open(const QString &path, OpenMode mode) override;
    bool exists(const QString &path) override { return m_names[path] != nullptr; }
    // Every name is a file.
    QString whyNotAFile(const QString &) override { return {}; }
    Result<void> remove(const QString &path) override
    {
        InodePtr &inode = m_names[path];
        if (m_cut || !inode)
            return Failure{m_cut ? PowerOff : QStringLiteral("No such file or directory")};
        inode.reset();
        stepDone();
        return {};
    }
    Result<void> removeIfEmpty(const QString &path) override
    {
        return contents(path) == QByteArray() ? remove(path) : Result<void>();
    }
    Result<bool> renameNoReplace(const QString &from, const QString &to) override
    {
        if (m_cut)
            return Failure{PowerOff};
        if (m_names[to])
            return false;
        m_names[to] = std::exchange(m_names[from], nullptr);
        stepDone();
        return true;
    }
    // The archive and its journal share one folder.
    Result<void> syncFolderOf(const QString &) override
    {
        if (m_cut)
            return Failure{PowerOff};
        m_syncedNames = m_names;
        stepDone();
        return {};
    }
    // The program's folder is there and takes files.
    Result<void> makeFolder(const QString &) override { return {}; }
    bool isWritableFolder(const QString &) override { return true; }

protected:
    static InodePtr fileOf(const std::optional<QByteArray> &bytes)
    {
        return bytes ? std::make_shared<Inode>(Inode{*bytes, *bytes, {}}) : nullptr;
    }
    int choose(int choices)
    {
        return m_how == Cut::Random ? int(m_random() % unsigned(choices)) : m_how == Cut::KeepAll ? 0 : 1;
    }
    // What the cut left of a file: its name created or removed, or not; its
    // sectors in order, so a seed always gives the same outcome.
    std::optional<QByteArray> survivor(const QString &path)
    {
        const InodePtr &now = m_names[path], &synced = m_syncedNames[path];
        const InodePtr &kept = now == synced || choose(2) == 0 ? now : synced;
        if (!kept)
            return std::nullopt;
        const bool newLength = kept->data.size() != kept->synced.size() && choose(2) == 0;
        QByteArray bytes = kept->synced;
        bytes.resize(newLength ? kept->data.size() : kept->synced.size(), '\0');
        const qint64 length = bytes.size();
        for (const qint64 sector : kept->dirty) {
            const qint64 begin = sector * SectorSize, end = std::min(begin + SectorSize, length);
            const int choice = choose(3); // 0 kept, 1 dropped, 2 scrambled
            for (qint64 i = begin; i < end; ++i) {
                if (choice == 0)
                    bytes[i] = i < kept->data.size() ? kept->data[i] : '\0';
                else if (choice == 2)
                    bytes[i] = char(m_random());
            }
        }
        return bytes;
    }

    std::map<QString, InodePtr> m_names, m_syncedNames; // null: no file
    int m_steps = 0, m_cutAt = 0;
    bool m_cut = false;
    Cut m_how = Cut::Random;
    std::mt19937 m_random;
};

class SimulatedFile final : public FileHandle {
public:
    SimulatedFile(SimulatedDisk &disk, InodePtr inode) : m_disk(disk), m_inode(std::move(inode)) {}

    Result<bool> tryLockExclusive() override { return true; }
    Result<qint64> size() override { return m_disk.isCut() ? off() : Result<qint64>(m_inode->data.size()); }
    Result<qint64> readAt(qint64 offset, char *buffer, qint64 length) override
    {
        if (m_disk.isCut())
            return off();
        const qint64 n = std::clamp<qint64>(m_inode->data.size() - offset, 0, length);
        std::copy_n(m_inode->data.constData() + offset, n, buffer);
        return n;
    }
    Result<qint64> writeAt(qint64 offset, const char *data, qint64 length) override
    {
        if (m_disk.isCut())
            return off();
        QByteArray &bytes = m_inode->data;
        if (bytes.size() < offset + length)
            bytes.append(QByteArray(offset + length - bytes.size(), '\0'));
        std::copy_n(data, length, bytes.data() + offset);
        changed(offset, offset + length);
        return length;
    }
    Result<void> truncate(qint64 length) override
    {
        if (m_disk.isCut())
            return off();
        const qint64 old = m_inode->data.size();
        m_inode->data.resize(length, '\0');
        // A shorter file has no new sectors; only its length is in doubt.
        changed(old, length > old ? length : 0);
        return {};
    }
    Result<void> sync() override
    {
        if (m_disk.isCut())
            return off();
        m_inode->synced = m_inode->data;
        m_inode->dirty.clear();
        changed(0, 0);
        return {};
    }

private:
    static Failure off() { return {PowerOff}; }
    // Marks the sectors of the pages [begin, end) touches unsynced and counts the step.
    void changed(qint64 begin, qint64 end)
    {
        const qint64 pagesEnd = (end + PageSize - 1) / PageSize * PageSize;
        for (qint64 s = begin / PageSize * (PageSize / SectorSize); s * SectorSize < pagesEnd; ++s)
            m_inode->dirty.insert(s);
        m_disk.stepDone();
    }

    SimulatedDisk &m_disk;
    InodePtr m_inode;
};

Result<std::unique_ptr<FileHandle>> SimulatedDisk::open(const QString &path, OpenMode mode)
{
    InodePtr &inode = m_names[path];
    if (!inode && !m_cut && mode == OpenMode::ReadWriteCreate) {
        inode = std::make_shared<Inode>();
        stepDone();
    }
    if (inode && !m_cut)
        return std::unique_ptr<FileHandle>(std::make_unique<SimulatedFile>(*this, inode));
    return Failure{m_cut ? PowerOff : QStringLiteral("No such file or directory")};
}

// Saves and start-ups of the program in a folder on the simulated disk.
class Bench final : public SimulatedDisk {
    const QTemporaryDir m_dir;

public:
    const QString path = archivePathIn(m_dir.path());
    int secondSteps = 0;
    int filler = 0; // games before the eight, which push them beyond the first 4 KiB block

    QByteArray bytes() { return contents(path).value_or(QByteArray()); }
    // Left in place, or set aside as if the archive were another.
    bool journalStayed()
    {
        const QString journal = path + QStringLiteral("-journal");
        return contents(journal) || contents(journal + QStringLiteral(".stale"));
    }

    // From the archive of the id record, `filler` games and eight more (with
    // no filler record 6, Blitz, straddles the first sector boundary, and so
    // does record 11, where a second append lands): one save, reported done, then a second one (if
    // any) with the power cut after its `cut`th step (0: no cut). True when
    // the saves were reported done.
    bool saveTwice(const QString &first, const std::optional<QString> &second, int cut = 0, Cut how = {},
                   quint32 seed = 0)
    {
        QByteArray start = GameRecord::idRecord(2);
        for (int n = 1; n <= filler; ++n)
            start += StressPlan::recordOf(int(start.size()), QStringLiteral("Old%1").arg(n));
        for (const char *name : {"Varko1", "Alpha", "Varko2", "Beta", "Blitz", "Gamma", "Delta", "Epsilon"})
            start += StressPlan::recordOf(int(start.size()), QString::fromLatin1(name));
        for (const char *journal : {"-journal", "-journal.stale"})
            setContents(path + QLatin1String(journal), std::nullopt);
        setContents(path, start);
        if (!startUp() || !save(first, 1))
            return false;
        const int firstSteps = m_steps;
        cutAfter(cut > 0 ? firstSteps + cut : 0, how, seed);
        const bool done = !second || save(*second, 2);
        secondSteps = m_steps - firstSteps;
        restart();
        return done;
    }
    // Start-up with the power cut after its `cut`th step (0: no cut).
    bool startUp(int cut = 0, quint32 seed = 0)
    {
        Module1 = Module1Vars{};
        cutAfter(cut, Cut::Random, seed);
        const bool ok = m_dir.isValid() && bool(openArchiveAtStartup(m_dir.path()));
        restart();
        return ok;
    }
    bool save(const QString &name, int step)
    {
        Module1.GameName = name;
        return bool(saveGame(StressPlan::snapshotOf(step)));
    }
};

enum class Next { StartUp, Browser, Restore, Save };

} // namespace

class StressPowerCut : public TestSupport::TestCase {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cutAtEveryStep_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<int>("filler");
        QTest::newRow("named replace") << QStringLiteral("Blitz") << QStringLiteral("Blitz") << 0;
        QTest::newRow("named append") << QStringLiteral("New1") << QStringLiteral("New2") << 0;
        // Appended, and the id record rewritten with the counter.
        QTest::newRow("numbered") << QString() << QString() << 0;
        // The first block, not written, is checked by every recovery.
        QTest::newRow("named replace beyond the first block")
            << QStringLiteral("Blitz") << QStringLiteral("Blitz") << 45;
    }
    void cutAtEveryStep();
};

void StressPowerCut::cutAtEveryStep()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    Bench &bench = Outside<FileSystem>::emplace<Bench>();
    QFETCH(int, filler);
    bench.filler = filler;
    QVERIFY(bench.saveTwice(first, std::nullopt));
    const QByteArray before = bench.bytes();
    QVERIFY(bench.saveTwice(first, second));
    const QByteArray after = bench.bytes();
    const int steps = bench.secondSteps;
    QVERIFY(before != after && steps > 0);

    int whole = 0, absent = 0;
    for (int step = 1; step <= steps; ++step) {
        for (int way = 0; way < WaysPerStep; ++way) {
            const auto how = way == 0 ? Cut::KeepAll : way == 1 ? Cut::DropAll : Cut::Random;
            const quint32 seed = quint32(step * 1000 + way);
            const bool done = bench.saveTwice(first, second, step, how, seed);
            // Now and then the power goes again while start-up takes the save back.
            bench.startUp(way % 3, seed);
            const QString where =
                QStringLiteral("cut after step %1 of %2, way %3: ").arg(step).arg(steps).arg(way);
            QVERIFY2(bench.startUp(), qPrintable(where + QStringLiteral("start-up fails")));
            const QByteArray bytes = bench.bytes();
            QVERIFY2(bytes == after || (!done && bytes == before),
                     qPrintable(where + QStringLiteral("the archive is neither after the save nor, unless "
                                                       "it was reported done, before it")));
            QVERIFY2(!bench.journalStayed(), qPrintable(where + QStringLiteral("the journal stayed")));
            (bytes == after ? whole : absent) += 1;
        }
    }
    // Both outcomes were met: the cuts did fall inside the save.
    QVERIFY(whole > 0 && absent > 0);
    qInfo("%d power cuts: the save there %d times, absent %d times", steps * WaysPerStep, whole, absent);

    // The power goes once the records are synced but the journal is still
    // there: whatever takes the lock next puts the old records back first, the
    // browser too, which otherwise takes no lock.
    for (const Next next : {Next::StartUp, Next::Browser, Next::Restore, Next::Save}) {
        QVERIFY(!bench.saveTwice(first, second, steps - 2, Cut::KeepAll));
        QVERIFY(bench.journalStayed() && bench.bytes() == after);
        Module1 = Module1Vars{};
        Module1.ArchivePath = bench.path;
        QString message;
        SavedGamesModel model;
        const bool ok = next == Next::StartUp   ? bench.startUp()
                        : next == Next::Browser ? model.open(bench.path, &message) &&
                                                      model.count() == before.size() / GameRecord::Size
                        : next == Next::Restore
                            ? loadGame(QStringLiteral("Blitz")).value_or(RestoredGame{}).record == 6 + filler
                            : bench.save(second, 2);
        QVERIFY2(ok, qPrintable(QStringLiteral("next: %1").arg(int(next))));
        bench.restart();
        // A save made again is the interrupted one, now whole.
        QVERIFY(!bench.journalStayed() && bench.bytes() == (next == Next::Save ? after : before));
    }
}

VARKO_TEST_MAIN(StressPowerCut)
#include "test_stress_powercut.moc"
