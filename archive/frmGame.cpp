#include "archive/frmGame.h"

#include "app/Module1.h"
#include "archive/SavedGamesModel.h"
#include "ui/Fonts.h"
#include "ui/MessageBox.h"
#include "ui/TableGrid.h"
#include "ui/Twips.h"

#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <array>

namespace {

constexpr int ScaleWidth = 6675; // client area, twips
constexpr int ScaleHeight = 3195;
constexpr int StripHeight = 735; // P1
constexpr qreal FontSize = 8.25;

constexpr std::array<int, SavedGamesModel::ColumnCount> ColumnWidths = {800,  1000, 1000, 500,
                                                                        1000, 1000, 1200};

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, QRect twips)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(Fonts::comic(FontSize, true));
    button->setGeometry(Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    // Neither button answers Enter by itself.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

frmGame::frmGame(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_games(new SavedGamesModel(this))
{
    createControls();
    Form_Load();
}

frmGame::~frmGame() = default;

void frmGame::createControls()
{
    setObjectName(QStringLiteral("frmGame"));
    setWindowTitle(QStringLiteral("Saved Game"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/game.svg")));
    setFont(Fonts::comic(FontSize));
    setFixedSize(Twips::size(ScaleWidth, ScaleHeight));

    dgGame = new TableGrid(this);
    dgGame->setObjectName(QStringLiteral("dgGame"));
    dgGame->setAccessibleName(QStringLiteral("Saved games"));
    dgGame->move(0, 0);
    // The header row in bold, in the grid's own family and size.
    QFont bold;
    bold.setBold(true);
    dgGame->horizontalHeader()->setFont(bold);

    P1 = new QFrame(this);
    P1->setObjectName(QStringLiteral("P1"));
    P1->setGeometry(Twips::rect(0, ScaleHeight - StripHeight, ScaleWidth, StripHeight));

    cmdOpen = makeButton(P1, "cmdOpen", QStringLiteral("Open Game"), QRect(240, 120, 1335, 495));
    cmdExit = makeButton(P1, "cmdExit", QStringLiteral("Exit"), QRect(5160, 120, 1215, 495));
    lblListed = new QLabel(P1);
    lblListed->setObjectName(QStringLiteral("lblListed"));
    lblListed->setGeometry(Twips::rect(1680, 30, 3375, 675));
    lblListed->setAlignment(Qt::AlignCenter);
    lblListed->setWordWrap(true);
    lblListed->hide();
    connect(cmdOpen, &QPushButton::clicked, this, &frmGame::cmdOpen_Click);
    connect(cmdExit, &QPushButton::clicked, this, &frmGame::cmdExit_Click);

    setTabOrder(dgGame, cmdOpen);
    setTabOrder(cmdOpen, cmdExit);
    dgGame->setFocus();
}

void frmGame::Form_Load()
{
    Module1.SelectedGame.clear();

    dgGame->setWidth(Twips::fromPx(width()));
    dgGame->setHeight(Twips::fromPx(height()) - Twips::fromPx(P1->height()));

    // The grid has count + 1 rows: the bold headers, records 2 to count
    // (read from the archive as they are painted, the name column bold; of
    // more than the grid can list, the newest), and an empty row that belongs
    // to no record.
    Apre_Archivio();
    Mostra_Elenco();
    for (int col = 0; col < SavedGamesModel::ColumnCount; ++col)
        dgGame->setColWidth(col, ColumnWidths[size_t(col)]);

    // Row 1, column 6 is the current cell and the whole selection when the
    // window opens, as if the grid had been filled from the bottom up.
    dgGame->setRow(1);
    dgGame->setCol(SavedGamesModel::ColumnCount - 1);
}

// Opens the archive for the grid and gives its record count. When it cannot
// be read the user is told why and the grid keeps just its empty row.
qint64 frmGame::Apre_Archivio()
{
    QString reason;
    if (!m_games->open(Module1.ArchivePath, &reason))
        MsgBox::show(
            parentWidget(),
            QStringLiteral("The saved games cannot be read from\n%1\n\n%2").arg(Module1.ArchivePath, reason));
    else if (!m_games->notice().isEmpty())
        MsgBox::show(parentWidget(), m_games->notice());
    dgGame->setModel(m_games);
    return m_games->count();
}

// Says how many games are listed when the grid cannot hold them all.
void frmGame::Mostra_Elenco()
{
    if (m_games->listed() == m_games->games())
        return;
    const QLocale english(QLocale::English);
    lblListed->setText(tr("The newest %1 of %2 saved games are listed.")
                           .arg(english.toString(m_games->listed()), english.toString(m_games->games())));
    lblListed->show();
}

void frmGame::cmdOpen_Click()
{
    dgGame->setRow(dgGame->RowSel());
    dgGame->setCol(0);
    // The name as stored, trailing blanks and all; the empty row gives "".
    Module1.SelectedGame = dgGame->Row() >= 1 ? dgGame->Text() : QString();
    accept();
}

void frmGame::cmdExit_Click()
{
    reject();
}

void frmGame::keyPressEvent(QKeyEvent *event)
{
    // There is no cancel button: Escape does not close the window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    // Enter presses the focused button, as Space does; neither button is a
    // default button, so Enter elsewhere does nothing.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (auto *button = qobject_cast<QPushButton *>(focusWidget())) {
            event->accept();
            button->click();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}
