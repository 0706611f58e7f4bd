#include "app/Startup.h"

#include "clock/frmMain.h"
#include "ui/AccessibleFactory.h"
#include "ui/Fonts.h"

#include <QApplication>
#include <QIcon>

int runVarko(int argc, char *argv[])
{
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
