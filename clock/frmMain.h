#pragma once

#include "clock/ToolbarCommand.h"
#include "ui/ImageList.h"

#include <QMainWindow>
#include <QString>
#include <array>
#include <memory>
#include <span>

class QGroupBox;
class QLabel;
class QFrame;
class ImageControl;
class ProgressControl;
class StatusBarControl;
class ToolbarControl;
class VTimer;
class frmAbout;
class FaceZoom;
class QKeyEvent;

// The main window: three clocks, the hand-over push-buttons, the toolbar,
// the lamp box and the status bar. Everything that happens during a game
// happens in its event handlers. The controls lie at their places in the
// central widget; being a main window makes it one for assistive technology.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget *parent = nullptr);
    ~frmMain() override;

    // Controls, named as the window's objectNames.
    ToolbarControl *Toolbar1 = nullptr;
    StatusBarControl *STB1 = nullptr;
    QFrame *Pic1 = nullptr;
    ImageControl *FaroSp = nullptr, *FaroAC = nullptr, *FaroDX = nullptr, *FaroSX = nullptr;
    QGroupBox *Frame1 = nullptr, *Frame2 = nullptr, *Frame3 = nullptr;
    QLabel *LOre = nullptr, *LMinuti = nullptr, *LSecondi = nullptr;
    QLabel *LOreG = nullptr, *LMinutiG = nullptr, *LSecondiG = nullptr;
    QLabel *LOreR = nullptr, *LminutiR = nullptr, *LSecondiR = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    QLabel *Label8 = nullptr, *Label9 = nullptr;
    QLabel *lblLimitWhite = nullptr, *lblLimitBlack = nullptr;
    ProgressControl *pg2 = nullptr, *pg3 = nullptr;
    ImageControl *IWPress = nullptr, *IWUnpress = nullptr, *IBPress = nullptr, *iBUnPress = nullptr;
    std::array<ImageControl *, 12> Image{}; // Image1 .. Image12 at [0] .. [11]
    VTimer *Timer1 = nullptr, *Timer2 = nullptr, *Timer3 = nullptr, *Timer4 = nullptr;
    ImageList ImageList1;
    ImageList IL1;

    // Form-level state.
    int Secondi = 0, Minuti = 0, Ore = 0;
    int SecondiG = 0, MinutiG = 0, OreG = 0;
    int SecondiR = 0, MinutiR = 0, OreR = 0;
    int LimitGame = 0, LimitWhite = 0, LimitBlack = 0;
    int MoveMarkWhite = 0, MoveMarkBlack = 0;
    int TickInterval = 0;
    bool bRunning = false;
    bool bPaused = false;
    QString PausedTurn;
    int LampPhase = 0, StatusPhase = 0;
    QString Msg, Title;

    // Event handlers.
    void Form_Load();
    void Form_KeyPress(int keyAscii);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Timer4_Timer();
    void iBUnPress_Click();
    void IWUnpress_Click();
    void Toolbar1_ButtonClick(int index, const QString &key);

    // Game control.
    void Gestione_Start();
    void Set_Limit();
    void Gestione_Pausa();
    void Gestione_Stop();

    // Saved games.
    void Esegue_Salvataggio();
    void Esegue_Apertura();
    bool Carica_Game();

    void openHelp();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void childEvent(QChildEvent *event) override;

private:
    struct PlayerItems;
    PlayerItems white();
    PlayerItems black();
    void tickPlayer(const PlayerItems &p);
    void overTime(const QString &message);
    void moveReport(const QString &report, int minutes, int hours, int &moveMark);
    void showWhiteTurn();
    void beginGame(const QString &whiteName, const QString &blackName, const QString &whiteLeft,
                   const QString &blackLeft);
    void setGameState(bool running, bool paused);
    void showBlackTurn();
    static std::span<const ToolbarCommand> toolbarCommands();
    void lockGameStart(bool locked);
    void lockAfterStart();
    void showAbout();
    void stopAllTimers();

    void buildControls();
    void buildToolbar();
    void buildStatusBar();
    void buildLampBox();
    void buildClockFrames();
    void buildPushButtons();
    void buildDecoration();
    void connectHandlers();
    void describeForScreenReaders();
    void takeKeyboardBack();

    // Zoom and full screen.
    static QSize faceSize();
    bool zoomKey(const QKeyEvent &event);
    void zoomBy(int direction);
    void showFace(qreal factor);
    void setFullScreen(bool on);

    std::unique_ptr<frmAbout> m_about;
    FaceZoom *m_zoom = nullptr;
    qreal m_windowedZoom = 1.0;
    bool m_fullScreen = false;
    QPoint m_windowedPlace;
};
