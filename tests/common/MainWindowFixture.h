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

// What the settings dialog is answered with.
struct GameSettings {
    QString white = QStringLiteral("White");
    QString black = QStringLiteral("Black");
    QString limit = QStringLiteral("10");
    QString gameName;
};

// A main window in a program folder of its own, with the settings dialog
// answered by a script.
struct MainWindowFixture {
    using Settings = GameSettings;

    QTemporaryDir folder;
    std::unique_ptr<frmMain> window;

    MainWindowFixture()
    {
        Module1 = Module1Vars{};
        App::overridePath(folder.path());
        window = std::make_unique<frmMain>();
    }
    ~MainWindowFixture()
    {
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
            const auto edit = [&dialog](const char *name) { return dialog.findChild<QLineEdit *>(name); };
            edit("txtWName")->setText(s.white);
            edit("txtBName")->setText(s.black);
            edit("txtGameName")->setText(s.gameName);
            dialog.findChild<QComboBox *>(QStringLiteral("cbTime"))->setEditText(s.limit);
            dialog.findChild<QPushButton *>(QStringLiteral("cmdConferma"))->click();
        });
    }

    void clickToolbar(const QString &key)
    {
        int i = 1;
        while (i < w().Toolbar1->count() && w().Toolbar1->Key(i) != key)
            ++i;
        QCOMPARE(w().Toolbar1->Key(i), key);
        QTest::mouseClick(w().Toolbar1->buttonWidget(i), Qt::LeftButton);
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

    // A status bar panel as the window shows it: STB1_Panel1 (the date),
    // STB1_Panel2 (the time) or STB1_Text (the status line).
    QString panel(const char *name) const
    {
        const auto *label = window->STB1->findChild<QLabel *>(QLatin1String(name));
        return label ? label->text() : QStringLiteral("no panel ") + QLatin1String(name);
    }
    QString status() const { return panel("STB1_Text"); }
    // Only this player's push-button is down and only his clock runs.
    bool toMove(bool white) const
    {
        const frmMain &m = *window;
        return m.IWPress->isHidden() != white && m.iBUnPress->isHidden() != white &&
               m.IWUnpress->isHidden() == white && m.IBPress->isHidden() == white &&
               m.Timer1->Interval() == (white ? 1000 : 0) && m.Timer2->Interval() == (white ? 0 : 1000);
    }
    bool whiteToMove() const { return toMove(true); }
    bool blackToMove() const { return toMove(false); }
    // White's, Black's and the total clock, e.g. "00:01:00 00:00:00 00:01:00".
    QString clocks() const
    {
        const frmMain &m = *window;
        QString text;
        int n = 0;
        for (const QLabel *l : {m.LOre, m.LMinuti, m.LSecondi, m.LOreG, m.LMinutiG, m.LSecondiG, m.LOreR,
                                m.LminutiR, m.LSecondiR})
            text += l->text() + (++n % 3 ? u':' : u' ');
        return text.trimmed();
    }
    QList<int> intervals() const
    {
        return {window->Timer1->Interval(), window->Timer2->Interval(), window->Timer3->Interval(),
                window->Timer4->Interval()};
    }
    // The toolbar entries locked, "1 3 7" (Start, Open, Options) while a game runs.
    QString locked() const
    {
        QStringList entries;
        for (int i = 1; i <= window->Toolbar1->count(); ++i)
            if (!window->Toolbar1->action(i)->isSeparator() && !window->Toolbar1->action(i)->isEnabled())
                entries << QString::number(i);
        return entries.join(u' ');
    }
    // No clock runs and nothing is locked.
    bool idle() const { return intervals() == QList<int>({0, 0, 0, 0}) && locked().isEmpty(); }
};
