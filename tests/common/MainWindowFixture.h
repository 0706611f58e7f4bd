#pragma once

#include "app/Module1.h"
#include "clock/frmMain.h"
#include "tests/common/TestSupport.h"
#include "ui/AppInfo.h"
#include "ui/ImageControl.h"
#include "ui/StatusBarControl.h"
#include "ui/ToolbarControl.h"
#include "ui/VTimer.h"

#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>

// A main window in a program folder of its own, with the settings dialog
// answered by a script.
// What the settings dialog is answered with.
struct GameSettings {
    QString white = QStringLiteral("White");
    QString black = QStringLiteral("Black");
    QString limit = QStringLiteral("10");
    QString gameName;
};

struct MainWindowFixture {
    using Settings = GameSettings;

    QTemporaryDir folder;
    std::unique_ptr<frmMain> window;

    MainWindowFixture()
    {
        Module1 = Module1Vars{};
        App::overridePath(folder.path());
        TestSupport::boxes().reset();
        TestSupport::desktop().reset();
        window = std::make_unique<frmMain>();
    }
    ~MainWindowFixture()
    {
        TestSupport::stopScriptingDialogs();
        window.reset();
        App::overridePath(QString());
    }

    frmMain &w() { return *window; }

    // Answers the next settings dialogs with these values and OK; lists every
    // dialog shown in `shown` when given.
    static void answerSettings(const Settings &s, QStringList *shown = nullptr)
    {
        TestSupport::scriptDialogs([s, shown](QDialog &dialog) {
            if (shown)
                shown->append(dialog.objectName());
            if (dialog.objectName() != QLatin1String("frmSet"))
                return;
            dialog.findChild<QLineEdit *>(QStringLiteral("txtWName"))->setText(s.white);
            dialog.findChild<QLineEdit *>(QStringLiteral("txtBName"))->setText(s.black);
            dialog.findChild<QComboBox *>(QStringLiteral("cbTime"))->setEditText(s.limit);
            dialog.findChild<QLineEdit *>(QStringLiteral("txtGameName"))->setText(s.gameName);
            dialog.findChild<QPushButton *>(QStringLiteral("cmdConferma"))->click();
        });
    }

    void clickToolbar(const QString &key)
    {
        for (int i = 1; i <= w().Toolbar1->count(); ++i) {
            if (w().Toolbar1->Key(i) == key) {
                QWidget *button = w().Toolbar1->buttonWidget(i);
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        QFAIL("no such toolbar key");
    }

    void start(const Settings &s = Settings())
    {
        answerSettings(s);
        clickToolbar(QStringLiteral("Start"));
    }

    void key(char c) { QTest::keyClick(window.get(), c); }
    // Shortcuts reach only the active window.
    void press(const QKeySequence &keys)
    {
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), keys[0].key(), keys[0].keyboardModifiers());
    }

    // Lets time pass as the event loop would see it.
    static void play(qint64 ms) { TestSupport::clock().advanceInSteps(ms, 100); }

    QString status() const { return window->STB1->panelText(3); }
    bool whiteToMove() const
    {
        return !window->IWPress->isHidden() && !window->iBUnPress->isHidden() &&
               window->IWUnpress->isHidden() && window->IBPress->isHidden() &&
               window->Timer1->Interval() == 1000 && window->Timer2->Interval() == 0;
    }
    bool blackToMove() const
    {
        return window->IWPress->isHidden() && window->iBUnPress->isHidden() &&
               !window->IWUnpress->isHidden() && !window->IBPress->isHidden() &&
               window->Timer1->Interval() == 0 && window->Timer2->Interval() == 1000;
    }
    QString whiteClock() const
    {
        return window->LOre->text() + u':' + window->LMinuti->text() + u':' + window->LSecondi->text();
    }
    QString blackClock() const
    {
        return window->LOreG->text() + u':' + window->LMinutiG->text() + u':' + window->LSecondiG->text();
    }
    QString totalClock() const
    {
        return window->LOreR->text() + u':' + window->LminutiR->text() + u':' + window->LSecondiR->text();
    }
    QList<int> intervals() const
    {
        return {window->Timer1->Interval(), window->Timer2->Interval(), window->Timer3->Interval(),
                window->Timer4->Interval()};
    }
};
