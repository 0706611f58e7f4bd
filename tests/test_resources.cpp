#include "tests/common/TestSupport.h"
#include "ui/SvgPixmap.h"

#include <QDirIterator>
#include <QImage>
#include <QSvgRenderer>

class TestResources : public QObject {
    Q_OBJECT

private slots:
    // Every picture compiled into the program parses.
    void picturesParse()
    {
        int pictures = 0;
        for (QDirIterator it(QStringLiteral(":/"), {QStringLiteral("*.svg")}, QDir::Files,
                             QDirIterator::Subdirectories);
             it.hasNext(); ++pictures) {
            const QString path = it.next();
            QVERIFY2(QSvgRenderer(path).isValid(), qPrintable(path));
        }
        QVERIFY(pictures > 40);
    }

    // The status line steps through them as the clock runs: each step must show.
    void statusClocksAreEightDifferentPictures()
    {
        QList<QImage> seen;
        for (int step = 1; step <= 8; ++step) {
            const QString path = QStringLiteral(":/status/clock_%1.svg").arg(step);
            const QImage image = SvgPixmap::render(path, {64, 64}, 1).toImage();
            QVERIFY2(!seen.contains(image), qPrintable(path + " repeats an earlier step"));
            seen << image;
        }
    }
};

VARKO_TEST_MAIN(TestResources)
#include "test_resources.moc"
