#include "app/Startup.h"

#include "clock/frmMain.h"
#include "ui/AccessibleFactory.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QIcon>
#include <csignal>

int runVarko(int argc, char *argv[])
{
    // A write past the file-size limit (ulimit -f) then fails with EFBIG, and
    // the archive says so, instead of the signal killing the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    // The per-user data folder (a fallback home of the archive) is named after it.
    QApplication::setApplicationName(QStringLiteral("Varko"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.varko.chronometer"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/varko.svg")));
    Fonts::registerSubstitutes();
    AccessibleFactory::install();

    frmMain window;
    window.show();
    // Without a window manager a new window gets no keyboard of its own.
    window.activateWindow();
    window.setFocus();
    return app.exec();
}
