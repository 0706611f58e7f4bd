#include "tests/common/TestSupport.h"

#include "ui/AccessibleFactory.h"
#include "ui/Fonts.h"

#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <optional>

namespace TestSupport {
namespace {

struct StandIns {
    ScriptedBoxes boxes;
    DesktopCalls desktop;
};

std::optional<StandIns> &standIns()
{
    static std::optional<StandIns> s;
    return s;
}

// The shared set-up's outside world, with stand-ins that remember nothing yet.
void putOutsideBack()
{
    OutsideWorld::restoreAll();
    StandIns &made = standIns().emplace();
    Outside<MonotonicClock>::replace(clock());
    Outside<MsgBox::Seam>::replace(made.boxes);
    Outside<KeepAwake::Seam>::replace(made.desktop);
    Outside<Alarm::Seam>::replace(made.desktop);
}

class ScriptedDialogs final : public Modal::Runner {
public:
    explicit ScriptedDialogs(std::function<void(QDialog &)> script) : m_script(std::move(script)) {}
    int exec(QDialog &dialog) override
    {
        dialog.show();
        m_script(dialog);
        const int result = dialog.result();
        dialog.hide();
        return result;
    }

private:
    std::function<void(QDialog &)> m_script;
};

} // namespace

FakeClock &clock()
{
    static FakeClock c;
    return c;
}

ScriptedBoxes &boxes()
{
    return standIns()->boxes;
}

DesktopCalls &desktop()
{
    return standIns()->desktop;
}

MsgBox::Answer ScriptedBoxes::answer(QWidget *, const MsgBox::Request &request)
{
    shown.append(request);
    if (whileOpen)
        whileOpen();
    if (!answers.empty()) {
        const MsgBox::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    return request.buttons == MsgBox::Buttons::YesNo ? MsgBox::Answer::No : MsgBox::Answer::Ok;
}

void scriptDialogs(std::function<void(QDialog &)> script)
{
    Outside<Modal::Runner>::emplace<ScriptedDialogs>(std::move(script));
}

void TestCase::init()
{
    putOutsideBack();
    setUp();
}

void TestCase::cleanup()
{
    tearDown();
    putOutsideBack();
}

void initialise()
{
    // Qt's runtime folder, removed at exit: without XDG_RUNTIME_DIR Qt would
    // make one in the temporary folder and leave it there.
    static const QTemporaryDir runtime;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    // A home of its own: the per-user folders of Qt's test mode lie under it,
    // and test programs running at the same time must not meet there.
    static const QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    putOutsideBack();
    Fonts::registerSubstitutes();
    AccessibleFactory::install();
}

int run(TestCase &test, int argc, char *argv[])
{
    for (const char *slot : {"init()", "cleanup()"}) {
        if (test.metaObject()->indexOfSlot(slot) != TestCase::staticMetaObject.indexOfSlot(slot))
            qFatal("%s declares its own %s: its steps belong in setUp() or tearDown()",
                   test.metaObject()->className(), slot);
    }
    return QTest::qExec(&test, argc, argv);
}

} // namespace TestSupport
