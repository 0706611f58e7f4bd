#include "ui/HelpViewer.h"

#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <algorithm>

namespace {
constexpr int ViewerWidth = 520;
constexpr int ViewerMinHeight = 480;
} // namespace

HelpViewer::HelpViewer(QWidget *mainWindow)
    : QWidget(mainWindow, Qt::Window), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("helpViewer"));
    setWindowTitle(tr("Varko Help"));
    // Closing the viewer frees it, and an open viewer never keeps the program
    // running once the main window is closed.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    // The keyboard stays with the clock: the space bar keeps handing over.
    setAttribute(Qt::WA_ShowWithoutActivating);
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);

    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    m_browser->setOpenExternalLinks(true);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);

    if (mainWindow)
        placeBeside(mainWindow);
    else
        resize(ViewerWidth, ViewerMinHeight);
}

void HelpViewer::showContents(const QString &helpFilePath)
{
    m_path = helpFilePath;
    QFile file(helpFilePath);
    if (!file.open(QIODevice::ReadOnly)) {
        showFailure(file.errorString());
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        showFailure(file.errorString());
        return;
    }
    if (bytes.trimmed().isEmpty()) {
        showFailure(tr("The file is empty."));
        return;
    }
    // A new document always opens at its top.
    const QString content = QString::fromUtf8(bytes);
    m_browser->setSearchPaths({QFileInfo(helpFilePath).absolutePath()});
    if (Qt::mightBeRichText(content))
        m_browser->setHtml(content);
    else
        m_browser->setPlainText(content);
}

void HelpViewer::showFailure(const QString &reason)
{
    m_browser->setHtml(tr("<h2>Help is not available</h2>"
                          "<p>The help file could not be opened:</p>"
                          "<p><b>%1</b></p><p>%2</p>")
                           .arg(m_path.toHtmlEscaped(), reason.toHtmlEscaped()));
}

// To the right of the main window when there is room on its screen, else to
// its left, else against the screen's right edge. The viewer's frame is taken
// to be as wide as the main window's.
void HelpViewer::placeBeside(const QWidget *mainWindow)
{
    const QRect main = mainWindow->frameGeometry();
    const QSize frameExtra = main.size() - mainWindow->size();
    const QScreen *screen = mainWindow->screen();
    const QRect avail = screen ? screen->availableGeometry() : QRect(main.topLeft(), QSize(1024, 768));

    const QSize outer(
        std::min(ViewerWidth + frameExtra.width(), avail.width()),
        std::min(std::max(ViewerMinHeight + frameExtra.height(), main.height()), avail.height()));
    int x = main.right() + 1;
    if (x + outer.width() > avail.right() + 1)
        x = main.left() - outer.width() >= avail.left() ? main.left() - outer.width()
                                                        : avail.right() + 1 - outer.width();
    const int y = std::clamp(main.top(), avail.top(), avail.bottom() + 1 - outer.height());
    resize(outer - frameExtra);
    move(x, y); // the frame's top-left corner
}

namespace Help {
namespace {

class RealViewer final : public Seam {
public:
    void showContents(const QString &helpFilePath, QWidget *mainWindow) override
    {
        if (!m_viewer)
            m_viewer = new HelpViewer(mainWindow); // owned by the main window, or freed on close
        m_viewer->showContents(helpFilePath);
        m_viewer->show();
        m_viewer->raise();
    }

private:
    QPointer<HelpViewer> m_viewer;
};

} // namespace

void showContents(const QString &helpFilePath, QWidget *mainWindow)
{
    Outside<Seam>::current().showContents(helpFilePath, mainWindow);
}

} // namespace Help

template <> Help::Seam &Outside<Help::Seam>::real()
{
    static Help::RealViewer real;
    return real;
}
