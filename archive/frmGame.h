#pragma once

#include <QDialog>
#include <memory>

class FlexGrid;
class GameListModel;
class QFrame;
class QPushButton;

// The saved-games browser: lists the games of the archive in a grid and hands
// the chosen game's name back in Module1.SelectedGame (empty when the user
// leaves without choosing). It only reads the archive.
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
    void cmdOpen_Click();
    void cmdExit_Click();

    std::unique_ptr<GameListModel> m_games;
    FlexGrid *dgGame;
    QFrame *P1;
    QPushButton *cmdOpen;
    QPushButton *cmdExit;
};
