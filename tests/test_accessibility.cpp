#include "tests/common/MainWindowFixture.h"
#include "ui/ProgressControl.h"

#include <QAccessible>
#include <QAccessibleActionInterface>

// What a screen reader finds in the main window.
class TestAccessibility : public QObject {
    Q_OBJECT

    static QAccessibleInterface *of(QObject *o) { return QAccessible::queryAccessibleInterface(o); }

private slots:
    void labelsReadTheirTextAndSayWhatTheyAre_data()
    {
        QTest::addColumn<QString>("objectName");
        QTest::addColumn<QString>("description");
        QTest::newRow("White seconds") << "LSecondi" << "White seconds";
        QTest::newRow("Black hours") << "LOreG" << "Black hours";
        QTest::newRow("game minutes") << "LminutiR" << "Game minutes";
        QTest::newRow("White remaining") << "lblLimitWhite" << "White remaining minutes";
        QTest::newRow("Black remaining") << "lblLimitBlack" << "Black remaining minutes";
    }
    void labelsReadTheirTextAndSayWhatTheyAre()
    {
        QFETCH(QString, objectName);
        QFETCH(QString, description);
        MainWindowFixture f;
        f.start();
        f.play(3000);
        auto *label = f.w().findChild<QLabel *>(objectName);
        QVERIFY(label);
        QAccessibleInterface *a = of(label);
        QVERIFY(a);
        QCOMPARE(a->text(QAccessible::Name), label->text());
        QCOMPARE(a->text(QAccessible::Description), description);
    }

    void framesAreNamedByTheirCaptions()
    {
        MainWindowFixture f;
        f.start({QStringLiteral("Anna"), QStringLiteral("Boris"), QStringLiteral("10"), QString()});
        QCOMPARE(of(f.w().Frame1)->text(QAccessible::Name), QStringLiteral("Anna"));
        QCOMPARE(of(f.w().Frame2)->text(QAccessible::Name), QStringLiteral("Boris"));
        QCOMPARE(of(f.w().Frame3)->text(QAccessible::Name), QStringLiteral("...from begin Time"));
    }

    void barsAndLampsAreDescribed()
    {
        MainWindowFixture f;
        QAccessibleInterface *bar = of(f.w().pg3);
        QCOMPARE(bar->role(), QAccessible::ProgressBar);
        QCOMPARE(bar->text(QAccessible::Description), QStringLiteral("Black remaining minutes bar"));
        QCOMPARE(of(f.w().FaroDX)->text(QAccessible::Description),
                 QStringLiteral("Lamp: beam to the right, the game is running"));
        QCOMPARE(of(f.w().FaroDX)->role(), QAccessible::Graphic);
        QCOMPARE(of(f.w().Image[7])->text(QAccessible::Name), QStringLiteral("Black knight"));
    }

    void releasedPushButtonIsPressedThroughItsAction()
    {
        MainWindowFixture f;
        f.start();
        f.w().MinutiG = 4;
        QAccessibleInterface *button = of(f.w().iBUnPress);
        QCOMPARE(button->role(), QAccessible::Button);
        QCOMPARE(button->text(QAccessible::Description), QStringLiteral("Black's push-button, press to hand over"));
        QAccessibleActionInterface *action = button->actionInterface();
        QVERIFY(action);
        QVERIFY(action->actionNames().contains(QAccessibleActionInterface::pressAction()));
        action->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(f.blackToMove());
        QCOMPARE(f.status(), QStringLiteral("Black player spend  4 Minutes for this move."));
        // Hidden now: no action offered, and pressing does nothing.
        QVERIFY(action->actionNames().isEmpty());
        action->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(f.blackToMove());
        // The pressed look is a picture, not a button.
        QCOMPARE(of(f.w().IBPress)->role(), QAccessible::Graphic);
    }

    void statusLineIsReadAndAnnounced()
    {
        MainWindowFixture f;
        auto *text = f.w().findChild<QLabel *>(QStringLiteral("STB1_Text"));
        QVERIFY(text);
        QCOMPARE(of(text)->text(QAccessible::Description), QStringLiteral("Status line"));
        f.start();
        f.key(' ');
        QCOMPARE(of(text)->text(QAccessible::Name), f.status());
        QVERIFY(f.status().startsWith(QStringLiteral("White player spend")));
    }
};

VARKO_TEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
