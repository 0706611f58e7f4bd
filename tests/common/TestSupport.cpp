#include "tests/common/TestSupport.h"

#include "ui/AccessibleFactory.h"
#include "ui/Fonts.h"

#include <QDialog>
#include <QFile>
#include <QTemporaryDir>

namespace TestSupport {

FakeClock &clock()
{
    static FakeClock c;
    return c;
}

ScriptedBoxes &boxes()
{
    static ScriptedBoxes b;
    return b;
}

DesktopCalls &desktop()
{
    static DesktopCalls d;
    return d;
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
    Modal::installRunner([script](QDialog &dialog) {
        dialog.show();
        script(dialog);
        const int result = dialog.result();
        dialog.hide();
        return result;
    });
}

void stopScriptingDialogs()
{
    Modal::installRunner({});
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
    MonotonicClock::install(&clock());
    MsgBox::installSeam(&boxes());
    KeepAwake::installSeam(&desktop());
    Alarm::installSeam(&desktop());
    Fonts::registerSubstitutes();
    AccessibleFactory::install();
}

} // namespace TestSupport
