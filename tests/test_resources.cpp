#include "tests/common/TestSupport.h"
#include "ui/SvgPixmap.h"

#include <QImage>
#include <QSvgRenderer>

// The pictures compiled into the program: each must be there, parse and have
// the size the windows lay it out at.
class TestResources : public QObject {
    Q_OBJECT

private slots:
    void picture_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("size"); // width = height, in logical pixels
        const QList<std::tuple<const char *, int, QStringList>> folders = {
            {"icons", 32, {"varko", "game", "settings"}},
            {"buttons", 48, {"white_released", "white_pressed", "black_released", "black_pressed"}},
            {"lamps", 32, {"faro_sx", "faro_ac", "faro_dx", "faro_sp"}},
            {"status", 32,
             {"clock_load", "clock_1", "clock_2", "clock_3", "clock_4", "clock_5", "clock_6", "clock_7",
              "clock_8"}},
            {"toolbar", 16,
             {"01_help_book", "02_floppy", "03_question_small", "04_question_large", "05_coffee", "06_atom",
              "07_no_entry", "08_flag", "09_alarm_clock", "10_question_badge", "11_open_folder"}},
            {"about", 64, {"frame1", "frame2"}},
            {"pieces", 35,
             {"white_king", "white_queen", "white_rook", "white_bishop", "white_knight", "white_pawn",
              "black_king", "black_queen", "black_rook", "black_bishop", "black_knight", "black_pawn"}},
        };
        for (const auto &[folder, size, names] : folders)
            for (const QString &name : names) {
                const QString path = QStringLiteral(":/%1/%2.svg").arg(QLatin1String(folder), name);
                QTest::newRow(qPrintable(path)) << path << size;
            }
    }
    void picture()
    {
        QFETCH(QString, path);
        QFETCH(int, size);
        QSvgRenderer svg(path);
        QVERIFY2(svg.isValid(), "missing or not SVG");
        QCOMPARE(svg.defaultSize(), QSize(size, size));
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
