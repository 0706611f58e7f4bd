#include "dialogs/frmAbout.h"

#include "dialogs/Registry.h"
#include "ui/AppInfo.h"
#include "ui/Fonts.h"
#include "ui/ImageControl.h"
#include "ui/MessageBox.h"
#include "ui/ProgramStarter.h"
#include "ui/Twips.h"
#include "ui/VTimer.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>
#include <cmath>

namespace {

const QByteArray SysInfoKey = QByteArrayLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QByteArray SysInfoValue = QByteArrayLiteral("PATH");
const QByteArray SysInfoFolderKey = QByteArrayLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QByteArray SysInfoFolderValue = QByteArrayLiteral("MSINFO");
const QString SysInfoFile = QStringLiteral("\\MSINFO32.EXE");
const char *const Unavailable =
    QT_TRANSLATE_NOOP("frmAbout", "Le informazioni sul sistema non sono attualmente disponibili.");

// The registry reads into a buffer of this many bytes; a longer value does
// not fit and counts as missing.
constexpr qsizetype BufferSize = 1024;

// The form's user scale, in twips per unit; the icons are placed in it.
constexpr double ScaleX = 1.0649;
constexpr double ScaleY = 1.4488;
constexpr int IconLeftUnits = 112;
constexpr int IconTopUnits = 82;

int twipsX(int units)
{
    return int(std::lround(units * ScaleX));
}
int twipsY(int units)
{
    return int(std::lround(units * ScaleY));
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &caption, QRect twips)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(twips);
    return label;
}

void paintBlack(QLabel *label)
{
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::black);
    // Black on a dark theme's window would not read: the label keeps a light ground.
    if (p.color(QPalette::Window).lightness() < 128) {
        p.setColor(QPalette::Window, QColor(240, 240, 240));
        label->setAutoFillBackground(true);
    }
    label->setPalette(p);
}

// One line of the separator: a strip of colour `thickness` pixels high.
void makeLine(QWidget *parent, int index, int x1Twips, int x2Twips, int yTwips, int thickness, QColor colour)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1"));
    line->setProperty("Index", index);
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    p.setColor(QPalette::Window, colour);
    line->setPalette(p);
    line->setGeometry(Twips::px(x1Twips), Twips::px(yTwips), Twips::px(x2Twips - x1Twips), thickness);
}

} // namespace

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      Timer1(new VTimer(this))
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/game.svg")));
    setFixedSize(Twips::size(5730, 2955));
    buildTexts();
    buildSeparator();
    buildImages();
    buildButtons();
    Timer1->setObjectName(QStringLiteral("Timer1"));
    connect(Timer1, &VTimer::Timer, this, &frmAbout::Timer1_Timer);
}

void frmAbout::buildTexts()
{
    lblTitle = makeLabel(this, "lblTitle", tr("Varko Dulvermant"), Twips::rect(1320, 240, 3885, 480));
    lblTitle->setFont(Fonts::comic(9.75, true));
    paintBlack(lblTitle);
    lblVersion = makeLabel(this, "lblVersion", QString(), Twips::rect(1320, 780, 3885, 225));
    lblDisclaimer = makeLabel(this, "lblDisclaimer", tr("\u00A9 2001 Varko Dulvermant"),
                              Twips::rect(240, 1560, 2295, 345));
    QFont small = lblDisclaimer->font(); // the credit keeps to one line of its narrow label
    small.setPointSizeF(std::min(small.pointSizeF(), 8.0));
    lblDisclaimer->setFont(small);
    paintBlack(lblDisclaimer);
}

// An etched line: the grey line lies on the white one, which shows below it.
void frmAbout::buildSeparator()
{
    makeLine(this, 0, 120, 5669, 1320, 2, Qt::white);
    makeLine(this, 1, 120, 5684, 1320, 1, QColor(128, 128, 128));
}

void frmAbout::buildImages()
{
    If1 = new ImageControl(this);
    If1->setObjectName(QStringLiteral("If1"));
    If1->setGeometry(Twips::rect(120, 120, 960, 960));
    If1->setPicture(QStringLiteral(":/about/frame1.svg"));
    if2 = new ImageControl(this);
    if2->setObjectName(QStringLiteral("if2"));
    if2->setGeometry(Twips::rect(3120, 1440, 960, 960));
    if2->setPicture(QStringLiteral(":/about/frame2.svg"));
}

void frmAbout::buildButtons()
{
    // OK is both the default and the cancel button: Enter and Escape close.
    cmdOK = new QPushButton(tr("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips::rect(4320, 1560, 1260, 345));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);

    cmdSysInfo = new QPushButton(tr("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setGeometry(Twips::rect(4320, 2040, 1245, 345));
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);

    setTabOrder(cmdOK, cmdSysInfo);
}

void frmAbout::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        Form_Load();
        // Both frames stay hidden for a whole second after each opening.
        Timer1->forgetCarry();
        Timer1->setInterval(1000);
    }
    QDialog::showEvent(event);
}

void frmAbout::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        Timer1->setInterval(0);
    QDialog::hideEvent(event);
}

// Runs at each showing; IconPhase is left as the last showing left it.
void frmAbout::Form_Load()
{
    const QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen();
    const QPoint origin = screen ? screen->geometry().topLeft() : QPoint();
    setGeometry(QRect(origin + Twips::point(2340, 1935), size()));

    setWindowTitle(tr("About %1").arg(App::Title()));
    lblVersion->setText(tr("Version %1.%2.%3").arg(App::Major()).arg(App::Minor()).arg(App::Revision()));
    If1->move(twipsX(IconLeftUnits), twipsY(IconTopUnits));
    if2->move(twipsX(IconLeftUnits), twipsY(IconTopUnits));
    If1->setVisible(false);
    if2->setVisible(false);
    cmdOK->setFocus(Qt::OtherFocusReason);
}

void frmAbout::Timer1_Timer()
{
    ++IconPhase;
    if (IconPhase == 1) {
        If1->setVisible(true);
        if2->setVisible(false);
    } else if (IconPhase == 2) {
        If1->setVisible(false);
        if2->setVisible(true);
        IconPhase = 0;
    }
}

void frmAbout::cmdOK_Click()
{
    accept();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo();
}

void frmAbout::StartSysInfo()
{
    const std::optional<QString> tool = SysInfoTool();
    if (!tool || !ProgramStarter::start(*tool))
        MsgBox::show(this, tr(Unavailable));
}

// The tool's full path from the first value as read (not checked on disk), or
// else the tool's file in the folder that the second value names.
std::optional<QString> frmAbout::SysInfoTool()
{
    QString path;
    switch (GetKeyValue(Registry::LocalMachine, SysInfoKey, SysInfoValue, path)) {
    case KeyRead::Read: return path;
    case KeyRead::Failed: return std::nullopt;
    case KeyRead::NotRead: break;
    }
    if (GetKeyValue(Registry::LocalMachine, SysInfoFolderKey, SysInfoFolderValue, path) != KeyRead::Read)
        return std::nullopt;
    const QString file = App::join(path, SysInfoFile);
    if (!QFileInfo(file).isFile())
        return std::nullopt;
    return file;
}

// Reads one value into KeyVal. NotRead (KeyVal emptied) when the key or the
// value is missing or the value does not fit the buffer; Failed when the value
// has no bytes at all. Only a text is taken: other types leave KeyVal as it was.
frmAbout::KeyRead frmAbout::GetKeyValue(quint32 KeyRoot, const QByteArray &KeyName,
                                        const QByteArray &SubKeyRef, QString &KeyVal)
{
    const std::optional<Registry::Value> value =
        Outside<Registry::Reader>::current().value(KeyRoot, KeyName, SubKeyRef);
    if (!value || value->data.size() > BufferSize) {
        KeyVal.clear();
        return KeyRead::NotRead;
    }
    const QByteArray &bytes = value->data;
    if (bytes.isEmpty())
        return KeyRead::Failed;
    if (value->type == Registry::TextValue)
        KeyVal = QString::fromLocal8Bit(bytes.endsWith('\0') ? bytes.chopped(1) : bytes);
    return KeyRead::Read;
}
