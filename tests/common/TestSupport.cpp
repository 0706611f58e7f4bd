#include "tests/common/TestSupport.h"

#include "ui/AccessibleFactory.h"
#include "ui/Fonts.h"

#include <QDialog>

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
    MonotonicClock::install(&clock());
    MsgBox::installSeam(&boxes());
    KeepAwake::installSeam(&desktop());
    Alarm::installSeam(&desktop());
    Fonts::registerSubstitutes();
    AccessibleFactory::install();
}

} // namespace TestSupport
