// Replays the fuzzer's seed archives and every input it ever broke the
// archive code with through the same entry as the fuzzer, built like the
// program (gcc, no fuzzer), so a mended fault stays mended.
#include "tests/common/TestSupport.h"

#include "fuzz/ArchiveExercise.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class StressFuzzReplay : public QObject {
    Q_OBJECT
private slots:
    void replay_data();
    void replay();
};

void StressFuzzReplay::replay_data()
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

VARKO_TEST_MAIN(StressFuzzReplay)
#include "test_stress_fuzzreplay.moc"
