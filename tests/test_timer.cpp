#include "tests/common/TestSupport.h"
#include "ui/VTimer.h"

#include <QSignalSpy>

// The timer keeps exact time on the (fake) monotonic clock.
class TestTimer : public TestSupport::TestCase {
    Q_OBJECT
    TestSupport::FakeClock &clock = TestSupport::clock();

private slots:
    // Ten turns of 0.4 s each are four seconds of this player's clock; the
    // same interval set again keeps the phase.
    void partSecondsAddUp()
    {
        VTimer t;
        QSignalSpy ticks(&t, &VTimer::Timer);
        for (int move = 0; move < 10; ++move) {
            t.setInterval(1000);
            clock.advanceInSteps(400);
            t.setInterval(0);
            clock.advanceInSteps(3000);
        }
        QCOMPARE(ticks.count(), 4);
        t.setInterval(1000);
        clock.advanceInSteps(600);
        t.setInterval(1000);
        clock.advanceInSteps(400);
        QCOMPARE(ticks.count(), 5);
    }

    // A busy event loop loses no tick, and the ticks owed when the timer is
    // stopped are still delivered: those seconds were used by this clock.
    void busyLoopLosesNoTick()
    {
        VTimer t;
        QSignalSpy ticks(&t, &VTimer::Timer);
        t.setInterval(1000);
        clock.jumpSilentlyMs(3000);
        QCOMPARE(ticks.count(), 0);
        t.deliverDue();
        QCOMPARE(ticks.count(), 3);
        clock.jumpSilentlyMs(2500);
        t.setInterval(0);
        t.deliverDue();
        QCOMPARE(ticks.count(), 5);
        t.setInterval(1000);
        clock.advanceInSteps(500, 10);
        QCOMPARE(ticks.count(), 6);
        clock.advanceMs(999);
        QCOMPARE(ticks.count(), 6);
        clock.advanceMs(1);
        QCOMPARE(ticks.count(), 7);
    }

    void handlerStoppingTheTimerEndsTheBurst()
    {
        // Over time stops the clock from inside its own tick: no further
        // tick of the same burst may follow.
        VTimer t;
        int handled = 0;
        connect(&t, &VTimer::Timer, this, [&] {
            if (++handled == 2) {
                t.setInterval(0);
                t.forgetCarry();
            }
        });
        t.setInterval(1000);
        clock.jumpSilentlyMs(5000);
        t.deliverDue();
        QCOMPARE(handled, 2);
    }

    void realEventLoopDeliversTicks()
    {
        // The wake-up is a real QTimer: with the real clock it fires on its own.
        Outside<MonotonicClock>::restore();
        VTimer t;
        QSignalSpy ticks(&t, &VTimer::Timer);
        t.setInterval(20);
        QVERIFY(ticks.wait(1000));
    }
};

VARKO_TEST_MAIN(TestTimer)
#include "test_timer.moc"
