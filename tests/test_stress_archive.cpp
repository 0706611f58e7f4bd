// File operations of each archive step made to fail in turn: start-up, saving,
// the saved-games browser and restoring. Each failure must come back as a
// message that names the reason, leave the archive byte for byte as it was,
// and leave nothing behind that stops the same step from working once the
// disk is sound again. And damaged archives: the fuzzer's seed archives and
// every input it ever broke the archive code with, replayed through the same
// entry as the fuzzer, built like the program.
#include "tests/common/TestSupport.h"

#include "app/Module1.h"
#include "archive/Archive.h"
#include "archive/ArchiveFile.h"
#include "archive/ArchiveStartup.h"
#include "archive/FileSystem.h"
#include "archive/GameRecord.h"
#include "archive/Journal.h"
#include "archive/RestoreGame.h"
#include "archive/SavedGamesModel.h"
#include "fuzz/ArchiveExercise.h"
#include "tests/common/FaultyDisk.h"
#include "tests/tools/StressPlan.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// Recovery: start-up with a save a power cut interrupted to be rolled back.
enum class Step { Startup, FirstStart, SaveNumbered, SaveReplacing, Browse, Restore, Recovery };

// What a power cut in the middle of a save leaves: a complete journal, the
// archive overwritten from its start and a piece appended.
bool leaveInterruptedSave(const QString &path)
{
    Result<std::unique_ptr<ArchiveFile>> file = ArchiveFile::open(path, ArchiveFile::Access::Read);
    Journal journal(file ? (*file)->length() : 0);
    journal.willWrite(0, 500);
    if (!file || !(*file)->keepOldBytesIn(journal))
        return false;
    file->reset();
    return StressPlan::writeFile(Journal::pathFor(path), journal.encode()) &&
           StressPlan::writeFile(path, QByteArray(500, 'x'), QIODevice::ReadWrite);
}

struct Outcome {
    bool ok = true;
    QString message;
    int blankRows = 0; // game rows the browser showed empty
};

Outcome run(Step step, const QString &folder)
{
    if (step == Step::Startup || step == Step::FirstStart || step == Step::Recovery) {
        const Reported<void> started = openArchiveAtStartup(folder);
        return {bool(started), started.message()};
    }
    if (step == Step::Restore) {
        const Reported<RestoredGame> restored = loadGame(QStringLiteral("Blitz"));
        return {restored && restored->record == 3, restored.message()};
    }
    if (step != Step::Browse) {
        const Reported<qint64> saved = saveGame(StressPlan::snapshotOf(77));
        return {bool(saved), saved.message()};
    }
    SavedGamesModel model;
    Outcome outcome;
    outcome.ok = model.open(Module1.ArchivePath, &outcome.message);
    for (int row = 0; row < model.listed(); ++row)
        outcome.blankRows += model.index(row, 0).data().toString().isEmpty() ? 1 : 0;
    return outcome;
}

} // namespace

class StressArchive : public TestSupport::TestCase {
    Q_OBJECT
    void tearDown() override { QFile::remove(StressPlan::userArchive()); }

private slots:
    // The per-user fallback folder is a test folder.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void callFails_data();
    void callFails();
    void replay_data()
    {
        QTest::addColumn<QString>("path");
        for (const char *folder : {"corpus", "regressions"}) {
            const QDir dir(QStringLiteral(VARKO_FUZZ_DIR "/") + QLatin1String(folder));
            const QStringList names = dir.entryList(QDir::Files, QDir::Name);
            QVERIFY2(!names.isEmpty(), qPrintable(dir.path() + QStringLiteral(" holds no inputs")));
            for (const QString &name : names)
                QTest::newRow(qPrintable(QLatin1String(folder) + u'/' + name)) << dir.filePath(name);
        }
    }
    void replay()
    {
        QFETCH(QString, path);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QStringList broken = exerciseArchive(StressPlan::fileBytes(path), folder.path());
        QVERIFY2(broken.isEmpty(), qPrintable(broken.join(u'\n')));
    }
};

void StressArchive::callFails_data()
{
    QTest::addColumn<Step>("step");
    QTest::addColumn<Fault>("fault");
    const std::pair<const char *, Fault> faults[] = {
        {"open refused", {Call::Open, QStringLiteral("Permission denied")}},
        {"read fails", {Call::Read, QStringLiteral("Input/output error")}},
        {"disk full half way", {Call::Write, QStringLiteral("No space left on device"), 51}},
        {"short write", {Call::Write, QStringLiteral("only 51 of"), 51, true}},
        {"fsync fails", {Call::Sync, QStringLiteral("Input/output error")}},
        {"journal not removed", {Call::Remove, QStringLiteral("Permission denied")}},
        {"folder sync fails", {Call::SyncFolder, QStringLiteral("Input/output error")}},
        {"disk dies at a write", {Call::Write, QStringLiteral("Input/output error"), 0, false, true}},
        {"disk dies at an fsync", {Call::Sync, QStringLiteral("Input/output error"), 0, false, true}},
    };
    const char *const steps[] = {"start-up", "first start", "numbered save", "replacing save",
                                 "browse",   "restore",     "recovery"};
    for (int s = 0; s <= int(Step::Recovery); ++s) {
        const Step step = Step(s);
        const bool writes = step != Step::Startup && step != Step::Browse && step != Step::Restore;
        for (const auto &[faultName, fault] : faults) {
            // A first start reads nothing; only the steps that write make write calls.
            if (fault.call == Call::Read ? step != Step::FirstStart : writes || fault.call == Call::Open)
                QTest::addRow("%s, %s", steps[s], faultName) << step << fault;
        }
    }
}

// Every call of the row's kind the step makes fails once, each on its own run.
void StressArchive::callFails()
{
    QFETCH(Step, step);
    QFETCH(Fault, fault);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = archivePathIn(dir.path());
    const bool firstStart = step == Step::FirstStart;
    QByteArray start = firstStart ? QByteArray() : GameRecord::idRecord(2);
    for (const char *name : {"Varko1", "Blitz", "Varko2"})
        start +=
            firstStart ? QByteArray() : StressPlan::recordOf(int(start.size()), QString::fromLatin1(name));
    auto prepare = [&] {
        QFile::remove(path);
        QFile::remove(StressPlan::userArchive());
        QVERIFY(firstStart || StressPlan::writeFile(path, start));
        Module1 = Module1Vars{};
        QVERIFY(step != Step::Recovery || leaveInterruptedSave(path));
        if (step != Step::Startup && step != Step::Recovery && !firstStart)
            QVERIFY(openArchiveAtStartup(dir.path()));
        Module1.GameName = step == Step::SaveReplacing ? QStringLiteral("Blitz") : QString();
    };
    Disk &disk = Outside<FileSystem>::emplace<Disk>();
    // What the step does on a sound disk.
    prepare();
    const Module1Vars before = Module1;
    QVERIFY2(run(step, dir.path()).ok, "the step fails even on a sound disk");
    const QByteArray sound = StressPlan::fileBytes(path);
    const Module1Vars after = Module1;

    disk.fault = fault;
    int nth = 1;
    for (;; ++nth) {
        prepare();
        disk.left = nth;
        disk.tripped = false;
        const Outcome outcome = run(step, dir.path());
        if (!disk.tripped)
            break; // every such call of the step has failed once
        disk.left = 0;
        disk.dead = false;
        const QByteArray where = "call " + QByteArray::number(nth) + ": ";
        if (firstStart && outcome.ok) {
            // The program folder could not take the archive: it went to the user's folder.
            QCOMPARE(Module1.ArchivePath, StressPlan::userArchive());
            QVERIFY(QFile::remove(StressPlan::userArchive()));
        } else if (step != Step::Browse || !outcome.ok || outcome.blankRows == 0) {
            // A message with the reason, and nothing changed; browser rows that
            // cannot be read show empty instead, never half a game.
            QVERIFY2(!outcome.ok && outcome.message.contains(fault.reason), where + outcome.message.toUtf8());
            QVERIFY(Module1.GameName == before.GameName && Module1.LastId == before.LastId);
        }
        // As it was: the same bytes, or still no file at all, in either folder.
        // A disk that died left the putting back to whoever opens the archive next.
        // So does a recovery that failed: its journal stays for the next try.
        if ((fault.dies || step == Step::Recovery) && QFile::exists(path)) {
            const auto reopened = ArchiveFile::open(path, ArchiveFile::Access::Read);
            QVERIFY2(reopened, qPrintable(reopened.error()));
        }
        QVERIFY2(QFile::exists(path) != firstStart && StressPlan::fileBytes(path) == start &&
                     !QFile::exists(StressPlan::userArchive()),
                 where + "the archive changed, or a failed creation left a file behind");
        // Once the disk is sound again the step works, and as if nothing had happened.
        Module1.ArchivePath = before.ArchivePath;
        QVERIFY2(run(step, dir.path()).ok, where + "the step fails afterwards");
        QVERIFY2(StressPlan::fileBytes(path) == sound && !QFile::exists(path + QStringLiteral("-journal")),
                 where + "the retry wrote otherwise, or a journal stayed");
        QVERIFY(Module1.GameName == after.GameName && Module1.LastId == after.LastId);
    }
    QVERIFY2(nth > 1, "the step made no such call");
}

VARKO_TEST_MAIN(StressArchive)
#include "test_stress_archive.moc"
