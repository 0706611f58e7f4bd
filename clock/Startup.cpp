#include "clock/Startup.h"

#include "ui/Fonts.h"

#include <QApplication>
#include <QWidget>

int runVarko(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varko"));
    Fonts::registerSubstitutes();
    QWidget w;
    w.show();
    return app.exec();
}
