// Replays the fuzzer's seed archives and every input it ever broke the
// archive code with through the same entry as the fuzzer, built like the
// program (gcc, no fuzzer), so a mended fault stays mended.
#include "tests/common/TestSupport.h"

#include "archive/FileSystem.h"
#include "fuzz/ArchiveExercise.h"
#include "tests/tools/ForwardingFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// Hands out the real files, but every read comes back with one byte changed:
// an archive layer that returned wrong bytes.
class LyingFile final : public ForwardingFile {
public:
    using ForwardingFile::ForwardingFile;
    IoResult readAt(qint64 offset, char *buffer, qint64 length) override
    {
        const IoResult read = real().readAt(offset, buffer, length);
        if (read.ok && read.value > 20)
            buffer[20] ^= 0x01;
        return read;
    }
};

class LyingFileSystem final : public FileSystem {
public:
    explicit LyingFileSystem(FileSystem &real) : m_real(real) {}
    std::unique_ptr<FileHandle> open(const QString &path, Mode mode, QString *reason) override
    {
        std::unique_ptr<FileHandle> file = m_real.open(path, mode, reason);
        return file ? std::make_unique<LyingFile>(std::move(file)) : nullptr;
    }

private:
    FileSystem &m_real;
};

QByteArray seed(const char *name)
{
    QFile file(QStringLiteral(VARKO_FUZZ_DIR "/corpus/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class StressFuzzReplay : public QObject {
    Q_OBJECT
private slots:
    void replay_data();
    void replay();
    void replaySeesFaults();
};

void StressFuzzReplay::replay_data()
{
    QTest::addColumn<QString>("path");
    int rows = 0;
    for (const char *folder : {"corpus", "regressions"}) {
        const QDir dir(QStringLiteral(VARKO_FUZZ_DIR "/") + QLatin1String(folder));
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
            QTest::newRow(qPrintable(QLatin1String(folder) + u'/' + name)) << dir.filePath(name);
            ++rows;
        }
    }
    QVERIFY2(rows >= 5, "the seed archives are missing");
}

void StressFuzzReplay::replay()
{
    QFETCH(QString, path);
    QFile input(path);
    QVERIFY(input.open(QIODevice::ReadOnly));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QStringList broken = exerciseArchive(input.readAll(), folder.path());
    QVERIFY2(broken.isEmpty(), qPrintable(broken.join(u'\n')));
}

// The entry must notice a fault rather than pass everything: with reads that
// come back wrong, the records it reads no longer match the file.
void StressFuzzReplay::replaySeesFaults()
{
    const QByteArray games = seed("games.dat");
    QVERIFY(games.size() >= 3 * 102);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    LyingFileSystem lying(FileSystem::current());
    FileSystem::install(&lying);
    const QStringList broken = exerciseArchive(games, folder.path());
    FileSystem::install(nullptr);
    QVERIFY(broken.contains(QStringLiteral("record 1 read wrong")));
    QVERIFY(exerciseArchive(games, folder.path()).isEmpty());
}

VARKO_TEST_MAIN(StressFuzzReplay)
#include "test_stress_fuzzreplay.moc"
