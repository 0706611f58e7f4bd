// The yardstick for the program's start: a plain Qt window with about as many
// controls as the main window (a toolbar of nine buttons, labels and push
// buttons), titled "Minimal Window". It ends by itself after 30 s in case
// nobody closes it.
#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Minimal Window"));
    auto *layout = new QVBoxLayout(&window);
    auto *toolbar = new QToolBar(&window);
    for (const char *name : {"Start", "Save", "Open", "Stop", "Exit", "Options", "Pause", "Info", "About"})
        toolbar->addAction(QString::fromLatin1(name));
    layout->addWidget(toolbar);
    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    constexpr int Labels = 45, Buttons = 6, Columns = 9;
    for (int i = 0; i < Labels; ++i)
        grid->addWidget(new QLabel(QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')), &window),
                        i / Columns, i % Columns);
    for (int i = 0; i < Buttons; ++i)
        grid->addWidget(new QPushButton(QStringLiteral("Button %1").arg(i), &window), Labels / Columns + 1,
                        i);
    window.show();
    QTimer::singleShot(30000, &app, &QApplication::quit);
    return app.exec();
}
