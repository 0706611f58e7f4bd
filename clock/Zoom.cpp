// Zoom steps and full screen: the whole face scaled as one, the window
// fitted round it. Nothing of it is kept: each start is at 100%.
#include "clock/frmMain.h"

#include "ui/FaceZoom.h"
#include "ui/Twips.h"
#include "ui/ZoomSteps.h"

#include <QKeyEvent>
#include <QScreen>

namespace {
const QSize FaceSize = Twips::size(10545, 4875);
} // namespace

QSize frmMain::faceSize()
{
    return FaceSize;
}

bool frmMain::zoomKey(const QKeyEvent &event)
{
    // Ctrl+Plus is Ctrl+Shift+= on many keyboards; the keypad's keys count as the others.
    const Qt::KeyboardModifiers held = event.modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (held == Qt::ControlModifier) {
        switch (event.key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal: zoomBy(1); return true;
        case Qt::Key_Minus: zoomBy(-1); return true;
        case Qt::Key_0: zoomBy(0); return true;
        default: return false;
        }
    }
    if (held != Qt::NoModifier)
        return false;
    if (event.key() == Qt::Key_F11) {
        // A held F11 would flicker in and out.
        if (!event.isAutoRepeat())
            setFullScreen(!m_fullScreen);
        return true;
    }
    if (event.key() == Qt::Key_Escape && m_fullScreen) {
        setFullScreen(false);
        return true;
    }
    return false;
}

void frmMain::zoomBy(int direction)
{
    // Full screen already shows the face as large as the screen takes it.
    if (m_fullScreen)
        return;
    const QScreen *where = screen();
    const QSize frame = frameGeometry().size() - size();
    const QSize room = where ? where->availableGeometry().size() - frame : QSize();
    m_windowedZoom = ZoomSteps::next(m_windowedZoom, direction, FaceSize, room);
    showFace(m_windowedZoom);
    if (where) {
        // Grown past the screen's edge, the window moves back onto it.
        const QRect avail = where->availableGeometry();
        const QRect outer = frameGeometry();
        move(std::max(avail.left(), std::min(outer.left(), avail.right() + 1 - outer.width())),
             std::max(avail.top(), std::min(outer.top(), avail.bottom() + 1 - outer.height())));
    }
}

void frmMain::showFace(qreal factor)
{
    m_zoom->setFactor(factor);
    setFixedSize(ZoomSteps::scaled(FaceSize, factor));
}

void frmMain::setFullScreen(bool on)
{
    if (on == m_fullScreen)
        return;
    m_fullScreen = on;
    if (!on) {
        setContentsMargins(0, 0, 0, 0);
        showNormal();
        showFace(m_windowedZoom);
        move(m_windowedPlace);
        return;
    }
    m_windowedPlace = pos();
    const QRect whole = screen() ? screen()->geometry() : geometry();
    const qreal factor = ZoomSteps::fullScreen(FaceSize, whole.size());
    m_zoom->setFactor(factor);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // The face in the middle; the margins round it show the window's own
    // background, which is the face's.
    const QSize spare = whole.size() - ZoomSteps::scaled(FaceSize, factor);
    setContentsMargins(spare.width() / 2, spare.height() / 2, spare.width() - spare.width() / 2,
                       spare.height() - spare.height() / 2);
    // Without a window manager nobody else makes the window cover its screen.
    setGeometry(whole);
    showFullScreen();
}
