#pragma once

#include <QDialog>

class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

// The game settings dialog: the players' names, the time limit in minutes and
// the game's name. OK writes them into Module1 (WhiteName, BlackName,
// TimeLimit, GameName); the close box writes nothing. Build one for each
// showing: `frmSet dlg(this); Modal::exec(dlg);`.
class frmSet : public QDialog {
    Q_OBJECT
public:
    explicit frmSet(QWidget *mainWindow);

    // The limits the clocks can count down and the archive can hold.
    static constexpr int MinLimit = 1;
    static constexpr int MaxLimit = 999;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildFrames();
    void buildFields();
    void setFocusOrder();
    void Form_Load();
    void cmdConferma_Click();
    bool refusedControlCharacters();
    static bool cbTime_KeyPress(const QKeyEvent &event);

    QWidget *m_mainWindow;
    QGroupBox *Frame1;
    QGroupBox *Frame2;
    QGroupBox *Frame3;
    QLabel *Label1;
    QLabel *Label2;
    QLabel *Label3;
    QLabel *Label4;
    QLineEdit *txtWName;
    QLineEdit *txtBName;
    QComboBox *cbTime;
    QLineEdit *txtGameName;
    QPushButton *cmdConferma;
};
