#include "tests/common/TestSupport.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

// The pictures compiled into the program: each must be there, parse, have the
// size the windows lay it out at and draw something.
namespace {

QString resource(const QString &path) { return QStringLiteral(":/") + path; }

QImage render(const QString &path, int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer svg(resource(path));
    QPainter painter(&image);
    svg.render(&painter);
    return image;
}

QStringList statusClocks()
{
    QStringList names;
    for (int step = 1; step <= 8; ++step)
        names << QStringLiteral("clock_%1").arg(step);
    return names;
}

QStringList pieces()
{
    QStringList names;
    for (const char *colour : {"white", "black"})
        for (const char *piece : {"king", "queen", "rook", "bishop", "knight", "pawn"})
            names << QStringLiteral("%1_%2").arg(QLatin1String(colour), QLatin1String(piece));
    return names;
}

} // namespace

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
            {"status", 32, QStringList{"clock_load"} + statusClocks()},
            {"toolbar",
             16,
             {"01_help_book", "02_floppy", "03_question_small", "04_question_large", "05_coffee", "06_atom",
              "07_no_entry", "08_flag", "09_alarm_clock", "10_question_badge", "11_open_folder"}},
            {"about", 64, {"frame1", "frame2"}},
            {"pieces", 35, pieces()},
        };
        for (const auto &[folder, size, names] : folders)
            for (const QString &name : names) {
                const QString path = QStringLiteral("%1/%2.svg").arg(QLatin1String(folder), name);
                QTest::newRow(qPrintable(path)) << path << size;
            }
    }

    void picture()
    {
        QFETCH(QString, path);
        QFETCH(int, size);
        QVERIFY2(QFile::exists(resource(path)), qPrintable(path + " is not compiled in"));
        QSvgRenderer svg(resource(path));
        QVERIFY2(svg.isValid(), qPrintable(path + " does not parse as SVG"));
        QCOMPARE(svg.defaultSize(), QSize(size, size));
        QImage blank(size, size, QImage::Format_ARGB32_Premultiplied);
        blank.fill(Qt::transparent);
        QVERIFY2(render(path, size) != blank, qPrintable(path + " draws nothing"));
    }

    // The status line steps through them as the clock runs: each step must show.
    void statusClocksAreEightDifferentPictures()
    {
        QList<QImage> seen;
        for (const QString &name : statusClocks()) {
            const QImage image = render(QStringLiteral("status/%1.svg").arg(name), 64);
            QVERIFY2(!seen.contains(image), qPrintable(name + " looks like an earlier step"));
            seen << image;
        }
        QCOMPARE(seen.size(), 8);
    }
};

VARKO_TEST_MAIN(TestResources)
#include "test_resources.moc"
