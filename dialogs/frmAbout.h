#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class ImageControl;
class QLabel;
class QPushButton;
class VTimer;

// The about box: title, version, credit, a two-frame icon animation, OK and
// "System Info...", which starts the system's information tool. Keep one
// instance for the whole run and show it with `Modal::exec(*about)`: the
// animation's phase carries over from one showing to the next.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    enum class KeyRead { Read, NotRead, Failed };

    void buildTexts();
    void buildSeparator();
    void buildImages();
    void buildButtons();
    void Form_Load();
    void Timer1_Timer();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    void StartSysInfo();
    std::optional<QString> SysInfoTool();
    KeyRead GetKeyValue(quint32 KeyRoot, const QByteArray &KeyName, const QByteArray &SubKeyRef,
                        QString &KeyVal);

    QLabel *lblTitle;
    QLabel *lblVersion;
    QLabel *lblDisclaimer;
    ImageControl *If1;
    ImageControl *if2;
    VTimer *Timer1;
    QPushButton *cmdOK;
    QPushButton *cmdSysInfo;
    int IconPhase = 0; // 0, 1 or 2; outlives each showing
};
