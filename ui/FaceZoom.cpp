#include "ui/FaceZoom.h"

#include "ui/ZoomSteps.h"

#include <QFrame>
#include <QLayout>
#include <QRegularExpression>
#include <QScreen>
#include <QToolBar>

#include <algorithm>
#include <cmath>

namespace {

int times(int length, qreal factor)
{
    // An unbounded maximum stays unbounded.
    return length >= QWIDGETSIZE_MAX ? length : int(std::lround(length * factor));
}

QSize times(QSize size, qreal factor)
{
    return QSize(times(size.width(), factor), times(size.height(), factor));
}

QRect times(const QRect &r, qreal factor)
{
    return QRect(times(r.x(), factor), times(r.y(), factor), times(r.width(), factor),
                 times(r.height(), factor));
}

QFont times(QFont font, qreal factor)
{
    font.setPointSizeF(font.pointSizeF() * factor);
    return font;
}

// Lengths in a style sheet ("padding: 0 4px") scale with the rest.
QString times(const QString &styleSheet, qreal factor)
{
    static const QRegularExpression pixels(QStringLiteral("(\\d+)px"));
    QString scaled;
    qsizetype from = 0;
    for (const QRegularExpressionMatch &m : pixels.globalMatch(styleSheet)) {
        scaled += styleSheet.mid(from, m.capturedStart() - from);
        scaled += QString::number(times(m.captured(1).toInt(), factor)) + QStringLiteral("px");
        from = m.capturedEnd();
    }
    return scaled + styleSheet.mid(from);
}

} // namespace

FaceZoom::FaceZoom(QWidget *face) : QObject(face), m_face(face)
{
    setObjectName(QStringLiteral("faceZoom"));
}

const FaceZoom *FaceZoom::of(const QWidget *window)
{
    return window ? window->findChild<const FaceZoom *>(QStringLiteral("faceZoom")) : nullptr;
}

QPoint FaceZoom::place(const QWidget *mainWindow, QPoint offset, QSize size)
{
    const QWidget *window = mainWindow->window();
    QPoint corner = window->frameGeometry().topLeft();
    if (const FaceZoom *zoom = of(window)) {
        corner += zoom->m_face->mapTo(window, QPoint(0, 0));
        offset = QPoint(times(offset.x(), zoom->m_factor), times(offset.y(), zoom->m_factor));
    }
    QPoint at = corner + offset;
    if (const QScreen *screen = window->screen()) {
        const QRect room = screen->availableGeometry();
        at.setX(std::max(room.left(), std::min(at.x(), room.right() + 1 - size.width())));
        at.setY(std::max(room.top(), std::min(at.y(), room.bottom() + 1 - size.height())));
    }
    return at;
}

FaceZoom::Control FaceZoom::read(QWidget *widget)
{
    Control c;
    c.widget = widget;
    c.geometry = widget->geometry();
    c.minimum = widget->minimumSize();
    c.maximum = widget->maximumSize();
    c.ownFont = widget->testAttribute(Qt::WA_SetFont);
    c.font = widget->font();
    if (const auto *frame = qobject_cast<const QFrame *>(widget)) {
        c.lineWidth = frame->lineWidth();
        c.midLineWidth = frame->midLineWidth();
    }
    if (const auto *toolbar = qobject_cast<const QToolBar *>(widget))
        c.iconSize = toolbar->iconSize();
    c.styleSheet = widget->styleSheet();
    return c;
}

void FaceZoom::capture()
{
    // The places as the window shows them, its layouts done.
    m_face->ensurePolished();
    const QList<QWidget *> widgets = m_face->findChildren<QWidget *>();
    for (QWidget *w : widgets)
        if (QLayout *layout = w->layout())
            layout->activate();
    Control face = read(m_face);
    face.geometry = QRect();
    m_controls.push_back(face);
    for (QWidget *w : widgets) {
        if (w->isWindow())
            continue;
        m_controls.push_back(read(w));
        if (QLayout *layout = w->layout())
            m_layouts.emplace_back(layout);
    }
}

void FaceZoom::apply(const Control &c, qreal factor)
{
    QWidget *w = c.widget;
    if (!w)
        return;
    if (!c.styleSheet.isEmpty())
        w->setStyleSheet(times(c.styleSheet, factor));
    // A font left to inheritance goes back to it at 100%; while scaled every
    // control gets its own, as a style sheet stops a parent's reaching it.
    if (factor != 1.0 || c.ownFont)
        w->setFont(times(c.font, factor));
    else
        w->setFont(QFont());
    if (auto *frame = qobject_cast<QFrame *>(w); frame && c.lineWidth >= 0) {
        frame->setLineWidth(c.lineWidth > 0 ? std::max(1, times(c.lineWidth, factor)) : 0);
        frame->setMidLineWidth(times(c.midLineWidth, factor));
    }
    if (auto *toolbar = qobject_cast<QToolBar *>(w); toolbar && c.iconSize.isValid())
        toolbar->setIconSize(times(c.iconSize, factor));
    if (c.geometry.isNull())
        return;
    // Unbound first, so the old limits never clip the new place.
    w->setMinimumSize(0, 0);
    w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    w->setGeometry(times(c.geometry, factor));
    w->setMinimumSize(times(c.minimum, factor));
    w->setMaximumSize(times(c.maximum, factor));
}

void FaceZoom::setFactor(qreal factor)
{
    if (factor == m_factor)
        return;
    if (m_controls.empty())
        capture();
    const bool atRest = factor == 1.0;
    for (const QPointer<QLayout> &layout : m_layouts)
        if (layout)
            layout->setEnabled(atRest);
    for (const Control &c : m_controls)
        apply(c, factor);
    m_factor = factor;
}
