#pragma once

#include "ui/Alarm.h"
#include "ui/KeepAwake.h"
#include "ui/MessageBox.h"
#include "ui/Modal.h"
#include "ui/MonotonicClock.h"

#include <QApplication>
#include <QList>
#include <QStringList>
#include <QTest>
#include <deque>
#include <functional>

// Shared set-up of every test program: headless platform, a fake monotonic
// clock in place before any timer exists, and scripted message boxes.
namespace TestSupport {

class FakeClock final : public MonotonicClock {
public:
    qint64 nowNs() const override { return m_now; }
    // Moves time on and lets every timer deliver what fell due.
    void advanceMs(qint64 ms)
    {
        m_now += ms * 1000000;
        emit advanced();
    }
    // Moves time on in steps (as a running event loop would see it).
    void advanceInSteps(qint64 totalMs, qint64 stepMs = 100)
    {
        for (qint64 done = 0; done < totalMs; done += stepMs)
            advanceMs(std::min(stepMs, totalMs - done));
    }
    // Moves time on without any timer noticing (the event loop is busy).
    void jumpSilentlyMs(qint64 ms) { m_now += ms * 1000000; }

private:
    qint64 m_now = 1'000'000'000'000;
};

// One for the whole program: every timer keeps the clock it was made with.
FakeClock &clock();

// Answers message boxes from a script and records every request.
class ScriptedBoxes final : public MsgBox::Seam {
public:
    MsgBox::Answer answer(QWidget *parent, const MsgBox::Request &request) override;

    QList<MsgBox::Request> shown;
    std::deque<MsgBox::Answer> answers; // used in order; Ok / No when empty
    std::function<void()> whileOpen;    // runs while a box is "open"
};

// Records what the program asks of the desktop: "inhibit" and "release" of
// the screen saver, "alarm" for the over-time sound.
class DesktopCalls final : public KeepAwake::Seam, public Alarm::Seam {
public:
    void inhibit() override { calls.append(QStringLiteral("inhibit")); }
    void release() override { calls.append(QStringLiteral("release")); }
    void overTime() override { calls.append(QStringLiteral("alarm")); }

    QStringList calls;
};

// The current test function's, made anew for each.
ScriptedBoxes &boxes();
DesktopCalls &desktop();

// Runs `script` in place of the modal loop of the dialogs shown from now on
// in this test function; the script fills in the dialog and closes it.
void scriptDialogs(std::function<void(QDialog &)> script);

// The base of every test class. Around each test function it puts the
// outside world back as the shared set-up left it, with new boxes and desktop
// calls: nothing a test put in place reaches the next one. A test class puts
// its own steps before and after each test function in setUp() and
// tearDown(); it must not declare init() or cleanup().
class TestCase : public QObject {
    Q_OBJECT
protected:
    virtual void setUp() {}
    virtual void tearDown() {}

private slots:
    void init();
    void cleanup();
};

void initialise();
// Runs the test functions of `test`; refuses a class that declares its own
// init() or cleanup(), which would stop the outside world being put back.
int run(TestCase &test, int argc, char *argv[]);

} // namespace TestSupport

#define VARKO_TEST_MAIN(TestObject)                                                                          \
    int main(int argc, char *argv[])                                                                         \
    {                                                                                                        \
        qputenv("QT_QPA_PLATFORM", qgetenv("VARKO_TEST_PLATFORM").isEmpty()                                  \
                                       ? QByteArray("offscreen")                                             \
                                       : qgetenv("VARKO_TEST_PLATFORM"));                                    \
        TestSupport::initialise();                                                                           \
        QApplication app(argc, argv);                                                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return TestSupport::run(tc, argc, argv);                                                             \
    }
