#include "tests/common/TestSupport.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <cmath>
#include <vector>

// The pictures compiled into the program: each must be there, parse, have the
// size the windows lay it out at, and show what the windows rely on it showing.
namespace {

struct Picture {
    const char *path;
    int size;    // drawing size (width = height), in logical pixels
    int shownAt; // size the program shows it at
};

const Picture kPictures[] = {
    {"icons/varko.svg", 32, 32},
    {"icons/game.svg", 32, 32},
    {"icons/settings.svg", 32, 32},
    {"buttons/white_released.svg", 48, 48},
    {"buttons/white_pressed.svg", 48, 48},
    {"buttons/black_released.svg", 48, 48},
    {"buttons/black_pressed.svg", 48, 48},
    {"lamps/faro_sx.svg", 32, 32},
    {"lamps/faro_ac.svg", 32, 32},
    {"lamps/faro_dx.svg", 32, 32},
    {"lamps/faro_sp.svg", 32, 32},
    {"status/clock_load.svg", 32, 20},
    {"status/clock_1.svg", 32, 20},
    {"status/clock_2.svg", 32, 20},
    {"status/clock_3.svg", 32, 20},
    {"status/clock_4.svg", 32, 20},
    {"status/clock_5.svg", 32, 20},
    {"status/clock_6.svg", 32, 20},
    {"status/clock_7.svg", 32, 20},
    {"status/clock_8.svg", 32, 20},
    {"toolbar/01_help_book.svg", 16, 16},
    {"toolbar/02_floppy.svg", 16, 16},
    {"toolbar/03_question_small.svg", 16, 16},
    {"toolbar/04_question_large.svg", 16, 16},
    {"toolbar/05_coffee.svg", 16, 16},
    {"toolbar/06_atom.svg", 16, 16},
    {"toolbar/07_no_entry.svg", 16, 16},
    {"toolbar/08_flag.svg", 16, 16},
    {"toolbar/09_alarm_clock.svg", 16, 16},
    {"toolbar/10_question_badge.svg", 16, 16},
    {"toolbar/11_open_folder.svg", 16, 16},
    {"about/frame1.svg", 64, 64},
    {"about/frame2.svg", 64, 64},
    {"pieces/white_king.svg", 35, 35},
    {"pieces/white_queen.svg", 35, 35},
    {"pieces/white_rook.svg", 35, 35},
    {"pieces/white_bishop.svg", 35, 35},
    {"pieces/white_knight.svg", 35, 35},
    {"pieces/white_pawn.svg", 35, 35},
    {"pieces/black_king.svg", 35, 35},
    {"pieces/black_queen.svg", 35, 35},
    {"pieces/black_rook.svg", 35, 35},
    {"pieces/black_bishop.svg", 35, 35},
    {"pieces/black_knight.svg", 35, 35},
    {"pieces/black_pawn.svg", 35, 35},
};

// Thinner lines than this (in screen pixels) smear into the background.
constexpr double kThinnestLine = 1.5;

QString resource(const QString &path) { return QStringLiteral(":/") + path; }

QImage render(const QString &path, int pixels)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer svg(resource(path));
    QPainter painter(&image);
    svg.render(&painter);
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool isRed(QRgb c) { return qAlpha(c) > 200 && qRed(c) > 170 && qGreen(c) < 90 && qBlue(c) < 90; }
bool isDark(QRgb c) { return qAlpha(c) > 200 && qGray(c) < 80; }
bool isLampYellow(QRgb c) { return qRed(c) > 200 && qGreen(c) > 170 && qBlue(c) < 150; }
bool isBright(QRgb c) { return qGray(c) > 150; }

// Mean grey level of the clearly drawn pixels.
double meanLightness(const QImage &image)
{
    double sum = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (const QRgb c = image.pixel(x, y); qAlpha(c) > 128) {
                sum += qGray(c);
                ++count;
            }
    return count ? sum / count : 0;
}

int firstDrawnRow(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 128)
                return y;
    return image.height();
}

// Pixel on the clock face at `radius` pixels from the centre of a
// `pixels`-wide picture, `degrees` clockwise from twelve o'clock.
QRgb onDial(const QImage &image, double degrees, double radius)
{
    const double centre = image.width() / 2.0;
    const double a = degrees * M_PI / 180.0;
    return image.pixel(int(centre + radius * std::sin(a)), int(centre - radius * std::cos(a)));
}

struct StrokeFinding {
    QString element;
    double width;
};

// Every drawn outline of the document with the width it inherits.
std::vector<StrokeFinding> strokes(const QString &path)
{
    static const QStringList shapes = {"path", "line", "circle", "ellipse", "rect", "polygon", "polyline"};
    QFile file(resource(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    struct Inherited {
        QString stroke;
        double width;
    };
    std::vector<Inherited> stack{{QStringLiteral("none"), 1.0}};
    std::vector<StrokeFinding> found;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement()) {
            stack.pop_back();
            continue;
        }
        if (!xml.isStartElement())
            continue;
        Inherited here = stack.back();
        const auto attributes = xml.attributes();
        if (attributes.hasAttribute("stroke"))
            here.stroke = attributes.value("stroke").toString();
        if (attributes.hasAttribute("stroke-width"))
            here.width = attributes.value("stroke-width").toDouble();
        stack.push_back(here);
        if (shapes.contains(xml.name().toString()) && here.stroke != QLatin1String("none"))
            found.push_back({xml.name().toString(), here.width});
    }
    return found;
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void picture_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("shownAt");
        for (const auto &p : kPictures)
            QTest::newRow(p.path) << QString::fromLatin1(p.path) << p.size << p.shownAt;
    }

    void picture()
    {
        QFETCH(QString, path);
        QFETCH(int, size);
        QVERIFY2(QFile::exists(resource(path)), qPrintable(path + " is not compiled in"));
        QSvgRenderer svg(resource(path));
        QVERIFY2(svg.isValid(), qPrintable(path + " does not parse as SVG"));
        QCOMPARE(svg.defaultSize(), QSize(size, size));
        QCOMPARE(svg.viewBoxF(), QRectF(0, 0, size, size));
        const QImage image = render(path, size * 2);
        QVERIFY2(firstDrawnRow(image) < image.height(), qPrintable(path + " draws nothing"));
    }

    void linesAreBoldEnough_data() { picture_data(); }

    void linesAreBoldEnough()
    {
        QFETCH(QString, path);
        QFETCH(int, size);
        QFETCH(int, shownAt);
        QVERIFY2(QFile::exists(resource(path)), qPrintable(path + " is not compiled in"));
        for (const auto &s : strokes(path)) {
            const double onScreen = s.width * shownAt / size;
            QVERIFY2(onScreen >= kThinnestLine,
                     qPrintable(QStringLiteral("%1: a %2 outline %3 px wide at %4 px")
                                    .arg(path, s.element)
                                    .arg(onScreen)
                                    .arg(shownAt)));
        }
    }

    void statusClockHandTurnsAnEighth_data()
    {
        QTest::addColumn<int>("step");
        for (int step = 1; step <= 8; ++step)
            QTest::newRow(qPrintable(QStringLiteral("clock_%1").arg(step))) << step;
    }

    void statusClockHandTurnsAnEighth()
    {
        QFETCH(int, step);
        const QImage image = render(QStringLiteral("status/clock_%1.svg").arg(step), 128);
        // The red hand reaches past the fixed one, so only it shows at this radius.
        for (int k = 1; k <= 8; ++k)
            QVERIFY2(isRed(onDial(image, 45.0 * k, 38)) == (k == step),
                     qPrintable(QStringLiteral("red hand at %1 degrees?").arg(45 * k)));
        // The fixed hand stays at twelve; beside the red hand's width it is
        // still there when the red hand lies on it.
        QVERIFY(isDark(image.pixel(71, 44)));
    }

    void restingClockPointsAtThreeAndSix()
    {
        const QImage image = render(QStringLiteral("status/clock_load.svg"), 128);
        for (int k = 1; k <= 8; ++k)
            QVERIFY2(isRed(onDial(image, 45.0 * k, 38)) == (k == 4),
                     qPrintable(QStringLiteral("red hand at %1 degrees?").arg(45 * k)));
        QVERIFY(isDark(onDial(image, 90, 24)));
        QVERIFY(!isDark(onDial(image, 0, 24)));
    }

    void lighthouse_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("lit");
        QTest::addColumn<bool>("beamLeft");
        QTest::addColumn<bool>("beamRight");
        QTest::newRow("beam left") << "lamps/faro_sx.svg" << true << true << false;
        QTest::newRow("lit") << "lamps/faro_ac.svg" << true << false << false;
        QTest::newRow("beam right") << "lamps/faro_dx.svg" << true << false << true;
        QTest::newRow("dark") << "lamps/faro_sp.svg" << false << false << false;
    }

    void lighthouse()
    {
        QFETCH(QString, path);
        QFETCH(bool, lit);
        QFETCH(bool, beamLeft);
        QFETCH(bool, beamRight);
        const QImage image = render(path, 64);
        QCOMPARE(isLampYellow(image.pixel(32, 18)), lit);
        QCOMPARE(isBright(image.pixel(6, 18)), beamLeft);
        QCOMPARE(isBright(image.pixel(58, 18)), beamRight);
        // Only the light changes: tower, rock and sea are the same in every picture.
        const QImage dark = render(QStringLiteral("lamps/faro_sp.svg"), 64);
        QCOMPARE(image.copy(0, 40, 64, 24), dark.copy(0, 40, 64, 24));
    }

    void pushButtons()
    {
        const QImage whiteUp = render(QStringLiteral("buttons/white_released.svg"), 48);
        const QImage whiteDown = render(QStringLiteral("buttons/white_pressed.svg"), 48);
        const QImage blackUp = render(QStringLiteral("buttons/black_released.svg"), 48);
        const QImage blackDown = render(QStringLiteral("buttons/black_pressed.svg"), 48);
        // A pressed button is sunk (its top lower) and in shade (darker).
        QVERIFY(firstDrawnRow(whiteDown) > firstDrawnRow(whiteUp) + 8);
        QVERIFY(firstDrawnRow(blackDown) > firstDrawnRow(blackUp) + 8);
        QVERIFY(meanLightness(whiteDown) < meanLightness(whiteUp));
        QVERIFY(meanLightness(blackDown) < meanLightness(blackUp));
        // White's button is the light one in either position.
        QVERIFY(std::min(meanLightness(whiteUp), meanLightness(whiteDown))
                > std::max(meanLightness(blackUp), meanLightness(blackDown)) + 40);
    }

    void pieceColour_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("white");
        for (const char *piece : {"king", "queen", "rook", "bishop", "knight", "pawn"}) {
            for (const bool white : {true, false}) {
                const QString path = QStringLiteral("pieces/%1_%2.svg")
                                         .arg(QLatin1String(white ? "white" : "black"), QLatin1String(piece));
                QTest::newRow(qPrintable(path)) << path << white;
            }
        }
    }

    void pieceColour()
    {
        QFETCH(QString, path);
        QFETCH(bool, white);
        const double lightness = meanLightness(render(path, 70));
        if (white)
            QVERIFY2(lightness > 100, qPrintable(QString::number(lightness)));
        else
            QVERIFY2(lightness < 75, qPrintable(QString::number(lightness)));
    }

    void aboutFramesDiffer()
    {
        QVERIFY(render(QStringLiteral("about/frame1.svg"), 64) != render(QStringLiteral("about/frame2.svg"), 64));
    }
};

VARKO_TEST_MAIN(TestResources)
#include "test_resources.moc"
