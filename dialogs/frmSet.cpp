#include "dialogs/frmSet.h"

#include "app/Module1.h"
#include "archive/Cp1252.h"
#include "ui/FaceZoom.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <optional>
#include <utility>

namespace {

constexpr qreal CaptionPt = 8.25;

bool isAsciiDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// The limit box as whole minutes, or nothing when it holds no limit the clocks
// can count down and the archive can store: digits only ("007" is 7), from 1
// to 999.
std::optional<int> limitFrom(const QString &text)
{
    QStringView digits = QStringView(text).trimmed();
    if (!isAsciiDigits(digits))
        return std::nullopt;
    while (digits.size() > 1 && digits.front() == u'0')
        digits = digits.mid(1);
    if (digits.size() > 3)
        return std::nullopt;
    const int minutes = digits.toInt();
    if (minutes < frmSet::MinLimit || minutes > frmSet::MaxLimit)
        return std::nullopt;
    return minutes;
}

bool isControl(char32_t code)
{
    return code <= 0x1F || (code >= 0x7F && code <= 0x9F);
}

// The control characters in `text`, each once: tabs and line breaks pasted
// into a name would be stored raw and show as nothing, or break the line,
// wherever the name is shown.
QString controlCharactersIn(const QString &text)
{
    QString found;
    for (const QChar c : text)
        if (isControl(c.unicode()) && !found.contains(c))
            found += c;
    return found;
}

// How a character is shown in a message: a combining mark on a dotted circle,
// as it has no letter of its own; a control character by its picture
// ("\u2409" for a tab), or by its code alone where it has none.
QString shownAs(char32_t code)
{
    if (code <= 0x1F)
        return QChar(char16_t(0x2400 + code));
    if (code == 0x7F)
        return QStringLiteral("\u2421");
    if (isControl(code))
        return {};
    const bool combining = QChar::category(code) == QChar::Mark_NonSpacing;
    return (combining ? QStringLiteral("\u25CC") : QString()) + QString::fromUcs4(&code, 1);
}

// "Т" (U+0422), "у" (U+0443): each character and its code, so a character
// that looks like a Latin one is still told apart.
QString spelledOut(const QString &characters)
{
    QStringList parts;
    for (qsizetype i = 0; i < characters.size(); ++i) {
        const char32_t code = characters[i].isHighSurrogate() && i + 1 < characters.size()
                                  ? QChar::surrogateToUcs4(characters[i], characters[i + 1])
                                  : characters[i].unicode();
        const QString number =
            QStringLiteral("(U+%1)").arg(QString::number(code, 16).toUpper().rightJustified(4, u'0'));
        const QString shown = shownAs(code);
        parts += shown.isEmpty() ? number : QStringLiteral("\"%1\" %2").arg(shown, number);
        i += code > 0xFFFF ? 1 : 0;
    }
    return parts.join(QStringLiteral(", "));
}

// The boxes inside a frame take its font: bold, like the caption.
QGroupBox *makeFrame(QWidget *parent, const char *name, const QString &caption, QRect twips)
{
    auto *frame = new QGroupBox(caption, parent);
    frame->setObjectName(QLatin1String(name));
    frame->setFont(Fonts::comic(CaptionPt, true));
    frame->setGeometry(twips);
    return frame;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &caption, QRect twips)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(Fonts::comic(CaptionPt));
    label->setGeometry(twips);
    return label;
}

QLineEdit *makeTextBox(QWidget *parent, const char *name, int maxLength, QRect twips)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(maxLength);
    box->setGeometry(twips);
    return box;
}

} // namespace

frmSet::frmSet(QWidget *mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_mainWindow(mainWindow)
{
    setObjectName(QStringLiteral("frmSet"));
    setWindowTitle(tr("Set Options"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/settings.svg")));
    setSizeGripEnabled(true);
    resize(Twips::size(3660, 4080)); // sizable; the controls keep their places
    buildFrames();
    buildFields();
    setFocusOrder();
}

void frmSet::buildFrames()
{
    Frame1 = makeFrame(this, "Frame1", tr("Player"), Twips::rect(240, 120, 3135, 1335));
    Frame2 = makeFrame(this, "Frame2", tr("Time Limit"), Twips::rect(240, 1560, 3135, 855));
    Frame3 = makeFrame(this, "Frame3", tr("Name of Game"), Twips::rect(240, 2640, 3135, 855));
    Label1 = makeLabel(Frame1, "Label1", tr("White"), Twips::rect(240, 360, 1215, 255));
    Label2 = makeLabel(Frame1, "Label2", tr("Black"), Twips::rect(240, 840, 1215, 255));
    Label3 = makeLabel(Frame2, "Label3", tr("Set Time"), Twips::rect(240, 360, 975, 255));
    Label4 = makeLabel(Frame2, "Label4", tr("Minutes"), Twips::rect(2280, 360, 615, 255));
}

void frmSet::buildFields()
{
    txtWName = makeTextBox(Frame1, "txtWName", 30, Twips::rect(1560, 360, 1335, 285));
    txtBName = makeTextBox(Frame1, "txtBName", 30, Twips::rect(1560, 840, 1335, 285));
    txtGameName = makeTextBox(Frame3, "txtGameName", 15, Twips::rect(840, 360, 1575, 285));

    cbTime = new QComboBox(Frame2);
    cbTime->setObjectName(QStringLiteral("cbTime"));
    cbTime->setEditable(true);
    cbTime->setInsertPolicy(QComboBox::NoInsert); // Enter must not grow the list
    cbTime->setCompleter(nullptr);                // what is typed stays as typed
    cbTime->setGeometry(Twips::rect(1320, 360, 855, 315));
    cbTime->installEventFilter(this);
    cbTime->lineEdit()->installEventFilter(this);

    // Not the default button: Enter confirms only while the button has the focus.
    cmdConferma = new QPushButton(tr("OK"), this);
    cmdConferma->setObjectName(QStringLiteral("cmdConferma"));
    cmdConferma->setAutoDefault(false);
    cmdConferma->setDefault(false);
    cmdConferma->setGeometry(Twips::rect(240, 3600, 3135, 375));
    cmdConferma->installEventFilter(this);
    connect(cmdConferma, &QPushButton::clicked, this, &frmSet::cmdConferma_Click);

    // Screen readers name each box by its label (the game's by its frame). A
    // combo box is named by its text on Linux, its label being a relation; the
    // box typed into carries the label's name.
    Label1->setBuddy(txtWName);
    Label2->setBuddy(txtBName);
    Label3->setBuddy(cbTime);
    cbTime->lineEdit()->setAccessibleName(Label3->text());
}

// Tab goes from OK to Black's name, White's name, the limit, the game's name.
void frmSet::setFocusOrder()
{
    setTabOrder(cmdConferma, txtBName);
    setTabOrder(txtBName, txtWName);
    setTabOrder(txtWName, cbTime);
    setTabOrder(cbTime, txtGameName);
}

void frmSet::showEvent(QShowEvent *event)
{
    if (!event->spontaneous())
        Form_Load();
    QDialog::showEvent(event);
}

// Every showing starts from the same defaults, 200 twips right of and below
// the main window's top-left corner (the clock face's, scaled with it, when
// the face is zoomed or fills the screen).
void frmSet::Form_Load()
{
    if (m_mainWindow)
        move(FaceZoom::place(m_mainWindow, Twips::point(200, 200), frameGeometry().size()));
    txtWName->setText(tr("White"));
    txtBName->setText(tr("Black"));
    txtGameName->clear();

    cbTime->clear();
    cbTime->addItem(QStringLiteral("1"));
    for (int minutes = 0; minutes <= 240; minutes += 30)
        if (minutes > 0)
            cbTime->addItem(QString::number(minutes));
    cbTime->setCurrentIndex(-1);
    cbTime->setEditText(QStringLiteral("10"));

    cmdConferma->setFocus(Qt::OtherFocusReason);
}

void frmSet::cmdConferma_Click()
{
    if (cbTime->currentText().isEmpty())
        cbTime->setEditText(QStringLiteral("30"));
    const std::optional<int> limit = limitFrom(cbTime->currentText());
    if (!limit) {
        MsgBox::show(this, tr("The time limit must be a whole number of minutes from %1 to %2.")
                               .arg(MinLimit)
                               .arg(MaxLimit));
        cbTime->setFocus(Qt::OtherFocusReason);
        cbTime->lineEdit()->selectAll();
        return;
    }
    if (!refusedControlCharacters())
        return;
    // Stored with "?" in their place, two such names would be one game in the
    // archive and the second save would replace the first.
    const QString outside = charactersOutsideCp1252(txtGameName->text());
    if (!outside.isEmpty()) {
        MsgBox::show(this, tr("The game's name cannot be saved as typed: the archive cannot hold the "
                              "characters %1. Please choose a name without them.")
                               .arg(spelledOut(outside)));
        txtGameName->setFocus(Qt::OtherFocusReason);
        txtGameName->selectAll();
        return;
    }
    Module1.WhiteName = txtWName->text();
    Module1.BlackName = txtBName->text();
    Module1.TimeLimit = *limit;
    Module1.GameName = txtGameName->text().normalized(QString::NormalizationForm_C);
    accept();
}

// False, with the message shown and the box holding them focused, when a
// name holds control characters.
bool frmSet::refusedControlCharacters()
{
    const std::pair<QLineEdit *, QString> names[] = {
        {txtWName, tr("White's name")}, {txtBName, tr("Black's name")}, {txtGameName, tr("The game's name")}};
    for (const auto &[box, whose] : names) {
        const QString control = controlCharactersIn(box->text());
        if (control.isEmpty())
            continue;
        MsgBox::show(this, tr("%1 cannot be saved as typed: it holds the control characters %2 (tabs, "
                              "line breaks and the like), which a name cannot show. Please type it "
                              "without them.")
                               .arg(whose, spelledOut(control)));
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
        return false;
    }
    return true;
}

// Only the OK button and the close box end the dialog: Escape does nothing,
// and Enter reaching the dialog (from a text box) does nothing either.
void frmSet::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter: event->accept(); return;
    default: QDialog::keyPressEvent(event);
    }
}

bool frmSet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == cmdConferma && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            cmdConferma->click();
            return true;
        }
        return false;
    }
    if (watched != cbTime && watched != cbTime->lineEdit())
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress)
        return cbTime_KeyPress(*static_cast<QKeyEvent *>(event));
    if (event->type() == QEvent::InputMethod) {
        const QString committed = static_cast<QInputMethodEvent *>(event)->commitString();
        return !committed.isEmpty() && !isAsciiDigits(committed);
    }
    return false;
}

// True when the key is to be discarded: every typed character but the digits
// 0 to 9, control characters included. Keys that type nothing (Delete, the
// arrows) and Tab, which moves the focus on, pass.
bool frmSet::cbTime_KeyPress(const QKeyEvent &event)
{
    switch (event.key()) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return false;
    default: break;
    }
    const QString typed = event.text();
    return !typed.isEmpty() && !isAsciiDigits(typed);
}
