#include "ui/ImageControl.h"

#include "ui/SvgPixmap.h"
#include "ui/Twips.h"

#include <QMouseEvent>
#include <QPainter>

ImageControl::ImageControl(QWidget *parent) : QLabel(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAlignment(Qt::AlignCenter);
}

void ImageControl::setPicture(const QString &resourcePath)
{
    if (resourcePath == m_path)
        return;
    m_path = resourcePath;
    update();
}

void ImageControl::move(int leftTwips, int topTwips)
{
    QLabel::move(Twips::point(leftTwips, topTwips));
}

void ImageControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && isVisible() && rect().contains(event->position().toPoint()))
        emit Click();
    QLabel::mouseReleaseEvent(event);
}

void ImageControl::paintEvent(QPaintEvent *event)
{
    if (m_path.isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    // Asked for at every paint, so a new size or a screen of another scale
    // gets a picture of its own, and the same picture again costs a look-up.
    const QPixmap picture = SvgPixmap::cached(m_path, size(), devicePixelRatioF());
    QPainter(this).drawPixmap(0, 0, picture);
}
