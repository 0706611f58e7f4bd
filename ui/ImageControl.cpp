#include "ui/ImageControl.h"

#include "ui/SvgPixmap.h"
#include "ui/Twips.h"

#include <QMouseEvent>

ImageControl::ImageControl(QWidget *parent) : QLabel(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAlignment(Qt::AlignCenter);
}

void ImageControl::setPicture(const QString &resourcePath)
{
    m_path = resourcePath;
    render();
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

void ImageControl::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    render();
}

void ImageControl::paintEvent(QPaintEvent *event)
{
    // The window may have moved to a screen of another scale since the last
    // rendering.
    if (!m_path.isEmpty() && m_renderedRatio != devicePixelRatioF())
        render();
    QLabel::paintEvent(event);
}

void ImageControl::render()
{
    if (m_path.isEmpty())
        return;
    m_renderedRatio = devicePixelRatioF();
    setPixmap(SvgPixmap::render(m_path, size(), m_renderedRatio));
}
