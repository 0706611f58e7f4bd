// Builds the controls of the main window at their places.
#include "clock/frmMain.h"

#include "ui/ClientArea.h"
#include "ui/FaceZoom.h"
#include "ui/Fonts.h"
#include "ui/ImageControl.h"
#include "ui/ProgressControl.h"
#include "ui/StatusBarControl.h"
#include "ui/Twips.h"
#include "ui/VTimer.h"

#include <QGroupBox>
#include <QLabel>

namespace {

template <typename W> W *named(W *widget, const QString &name)
{
    widget->setObjectName(name);
    widget->setFocusPolicy(Qt::NoFocus);
    return widget;
}

QLabel *sunkenLabel(QWidget *parent, const QString &name, const QRect &place, const QFont &font)
{
    auto *label = named(new QLabel(parent), name);
    label->setGeometry(place);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(font);
    return label;
}

QLabel *clockLabel(QWidget *parent, const QString &name, int left, int top)
{
    QLabel *label = sunkenLabel(parent, name, Twips::rect(left, top, 615, 495), Fonts::comic(18));
    label->setAutoFillBackground(true);
    return label;
}

QLabel *separator(QWidget *parent, const QString &name, int left, int top)
{
    auto *label = named(new QLabel(QStringLiteral(":"), parent), name);
    label->setGeometry(Twips::rect(left, top, 150, 495));
    label->setAlignment(Qt::AlignCenter);
    label->setFont(Fonts::comic(15.75));
    return label;
}

QLabel *limitLabel(QWidget *parent, const QString &name, int left, int top)
{
    return sunkenLabel(parent, name, Twips::rect(left, top, 615, 375), Fonts::comic(9, true));
}

ProgressControl *limitBar(QWidget *parent, const QString &name, int height)
{
    auto *bar = named(new ProgressControl(parent), name);
    bar->setOrientation(Qt::Vertical);
    bar->setGeometry(Twips::rect(2760, 480, 195, height));
    return bar;
}

void colourText(QWidget *widget, const QColor &text, const QColor &background)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, text);
    if (background.isValid())
        p.setColor(QPalette::Window, background);
    widget->setPalette(p);
}

} // namespace

void frmMain::buildControls()
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(tr("Varko Chronometer"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/varko.svg")));
    // Fixed single border, close box, no minimize or maximize button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(faceSize());
    // The window takes every key itself: its controls never hold the focus.
    setFocusPolicy(Qt::StrongFocus);
    setCentralWidget(new ClientArea(this));
    m_zoom = new FaceZoom(centralWidget());

    buildToolbar();
    buildStatusBar();
    buildLampBox();
    buildClockFrames();
    buildPushButtons();
    buildDecoration();

    for (VTimer **t : {&Timer1, &Timer2, &Timer3, &Timer4})
        *t = new VTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer4->setObjectName(QStringLiteral("Timer4"));
}

void frmMain::buildStatusBar()
{
    // The clock hand at 45, 90, ... 360 degrees.
    QStringList hands;
    for (int step = 1; step <= 8; ++step)
        hands << QStringLiteral(":/status/clock_%1.svg").arg(step);
    IL1 = ImageList(hands);
    STB1 = named(new StatusBarControl(centralWidget()), QStringLiteral("STB1"));
    STB1->setGeometry(Twips::rect(0, 4500, 10545, 375));
    STB1->setFont(Fonts::comic(8.25));
    STB1->setPanelWidths(Twips::px(1440), Twips::px(1440), Twips::px(7350));
    STB1->setPanelPicture(3, QStringLiteral(":/status/clock_load.svg"));
}

void frmMain::buildLampBox()
{
    Pic1 = named(new QFrame(centralWidget()), QStringLiteral("Pic1"));
    Pic1->setGeometry(Twips::rect(9840, 0, 735, 855));
    Pic1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    const struct {
        ImageControl **lamp;
        const char *name;
        const char *picture;
    } lamps[] = {
        {&FaroSp, "FaroSp", ":/lamps/faro_sp.svg"},
        {&FaroAC, "FaroAC", ":/lamps/faro_ac.svg"},
        {&FaroDX, "FaroDX", ":/lamps/faro_dx.svg"},
        {&FaroSX, "FaroSX", ":/lamps/faro_sx.svg"},
    };
    // At design time the lamps lie side by side; start-up stacks them.
    int left = 0;
    for (const auto &l : lamps) {
        *l.lamp = named(new ImageControl(Pic1), QString::fromLatin1(l.name));
        (*l.lamp)->setGeometry(QRect(Twips::point(left, 0), QSize(32, 32)));
        (*l.lamp)->setPicture(QString::fromLatin1(l.picture));
        left += 120;
    }
}

void frmMain::buildClockFrames()
{
    const QColor highlightText = palette().color(QPalette::HighlightedText);
    const QColor highlight = palette().color(QPalette::Highlight);

    Frame1 = named(new QGroupBox(tr("Frame1"), centralWidget()), QStringLiteral("Frame1"));
    Frame1->setGeometry(Twips::rect(720, 960, 3135, 3255));
    Frame1->setFont(Fonts::comic(11.25));
    // White's caption in the highlight-text colour, on the highlight so it reads.
    Frame1->setStyleSheet(QStringLiteral("QGroupBox#Frame1::title { color: palette(highlighted-text);"
                                         " background: palette(highlight); padding: 0 4px; }"));
    LOre = clockLabel(Frame1, QStringLiteral("LOre"), 360, 480);
    LMinuti = clockLabel(Frame1, QStringLiteral("LMinuti"), 1200, 480);
    LSecondi = clockLabel(Frame1, QStringLiteral("LSecondi"), 2040, 480);
    for (QLabel *l : {LOre, LMinuti, LSecondi})
        colourText(l, highlightText, highlight);
    Label1 = separator(Frame1, QStringLiteral("Label1"), 1050, 465);
    Label2 = separator(Frame1, QStringLiteral("Label2"), 1875, 465);
    pg2 = limitBar(Frame1, QStringLiteral("pg2"), 2295);
    lblLimitWhite = limitLabel(Frame1, QStringLiteral("lblLimitWhite"), 2040, 2400);

    Frame2 = named(new QGroupBox(tr("Frame2"), centralWidget()), QStringLiteral("Frame2"));
    Frame2->setGeometry(Twips::rect(6600, 960, 3135, 3255));
    Frame2->setFont(Fonts::comic(11.25));
    LOreG = clockLabel(Frame2, QStringLiteral("LOreG"), 360, 495);
    LMinutiG = clockLabel(Frame2, QStringLiteral("LMinutiG"), 1200, 495);
    LSecondiG = clockLabel(Frame2, QStringLiteral("LSecondiG"), 2040, 495);
    Label4 = separator(Frame2, QStringLiteral("Label4"), 1050, 480);
    Label3 = separator(Frame2, QStringLiteral("Label3"), 1875, 480);
    pg3 = limitBar(Frame2, QStringLiteral("pg3"), 2415);
    lblLimitBlack = limitLabel(Frame2, QStringLiteral("lblLimitBlack"), 2040, 2520);

    Frame3 = named(new QGroupBox(tr("...from begin Time"), centralWidget()), QStringLiteral("Frame3"));
    Frame3->setGeometry(Twips::rect(3960, 3240, 2535, 975));
    Frame3->setFont(Fonts::comic(9, true));
    LOreR = clockLabel(Frame3, QStringLiteral("LOreR"), 120, 375);
    LminutiR = clockLabel(Frame3, QStringLiteral("LminutiR"), 960, 375);
    LSecondiR = clockLabel(Frame3, QStringLiteral("LSecondiR"), 1800, 375);
    for (QLabel *l : {LOreR, LminutiR, LSecondiR})
        colourText(l, QColor(255, 255, 0), QColor(32, 32, 32));
    Label8 = separator(Frame3, QStringLiteral("Label8"), 810, 360);
    Label9 = separator(Frame3, QStringLiteral("Label9"), 1635, 360);
}

void frmMain::buildPushButtons()
{
    const struct {
        ImageControl **image;
        const char *name;
        const char *picture;
        int left;
    } buttons[] = {
        // Design-time places; start-up stacks each pair on one spot.
        {&IWPress, "IWPress", ":/buttons/white_pressed.svg", 4000},
        {&IWUnpress, "IWUnpress", ":/buttons/white_released.svg", 4000},
        {&IBPress, "IBPress", ":/buttons/black_pressed.svg", 5800},
        {&iBUnPress, "iBUnPress", ":/buttons/black_released.svg", 5800},
    };
    int top = 1000;
    for (const auto &b : buttons) {
        *b.image = named(new ImageControl(centralWidget()), QString::fromLatin1(b.name));
        (*b.image)->setGeometry(Twips::rect(b.left, top, 720, 720));
        (*b.image)->setPicture(QString::fromLatin1(b.picture));
        top = top == 1000 ? 1800 : 1000;
    }
}

void frmMain::buildDecoration()
{
    const struct {
        int index; // Image1 .. Image12
        const char *picture;
        int left;
        int top;
    } pieces[] = {
        {1, "white_queen", 120, 840},   {2, "white_king", 120, 1440},    {11, "white_bishop", 120, 2040},
        {5, "white_rook", 120, 2640},   {3, "white_knight", 120, 3240},  {4, "white_pawn", 120, 3840},
        {6, "black_queen", 9840, 840},  {7, "black_king", 9840, 1440},   {12, "black_bishop", 9840, 2040},
        {10, "black_rook", 9840, 2760}, {8, "black_knight", 9840, 3360}, {9, "black_pawn", 9840, 3960},
    };
    for (const auto &p : pieces) {
        auto *image = named(new ImageControl(centralWidget()), QStringLiteral("Image%1").arg(p.index));
        image->setGeometry(Twips::rect(p.left, p.top, 525, 525));
        image->setPicture(QStringLiteral(":/pieces/%1.svg").arg(QLatin1String(p.picture)));
        Image[size_t(p.index - 1)] = image;
    }
}
