#pragma once

#include <QDialog>

class SavedGamesModel;
class QFrame;
class QLabel;
class QPushButton;
class TableGrid;

// The saved-games browser: lists the games of the archive in a grid and hands
// the chosen game's name back in Module1.SelectedGame (empty when the user
// leaves without choosing). It only reads the archive. An archive of more
// games than the grid can list shows the newest, and says so.
class frmGame : public QDialog {
    Q_OBJECT
public:
    explicit frmGame(QWidget *parent = nullptr);
    ~frmGame() override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void Form_Load();
    qint64 Apre_Archivio();
    void Mostra_Elenco();
    void cmdOpen_Click();
    void cmdExit_Click();

    SavedGamesModel *m_games;
    TableGrid *dgGame;
    QFrame *P1;
    QLabel *lblListed;
    QPushButton *cmdOpen;
    QPushButton *cmdExit;
};
