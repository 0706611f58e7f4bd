#pragma once

#include "app/Outside.h"

#include <QString>
#include <QWidget>

class QTextBrowser;

// The program's own help window: a non-modal window beside the main window
// that shows an HTML help file from its contents (the top). A file that cannot
// be read is reported in the window itself; nothing else is affected.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget *mainWindow);

    void showContents(const QString &helpFilePath);

private:
    void placeBeside(const QWidget *mainWindow);
    void showFailure(const QString &reason);

    QTextBrowser *m_browser;
    QString m_path;
};

namespace Help {

// Opens the help viewer at the contents of the file, reusing the window when
// it is already open, and returns at once.
void showContents(const QString &helpFilePath, QWidget *mainWindow);

// What shows it: the viewer above, or a test's stand-in.
class Seam {
public:
    virtual ~Seam() = default;
    virtual void showContents(const QString &helpFilePath, QWidget *mainWindow) = 0;
};

} // namespace Help

template <> Help::Seam &Outside<Help::Seam>::real();
