#include "ui/ProgressControl.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>

#include <cmath>

ProgressControl::ProgressControl(QWidget *parent) : QProgressBar(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setTextVisible(false);
    apply();
}

void ProgressControl::setMin(float v)
{
    m_min = v;
    apply();
}

void ProgressControl::setMax(float v)
{
    m_max = v;
    apply();
}

void ProgressControl::setValue(float v)
{
    m_value = v;
    apply();
}

void ProgressControl::apply()
{
    const int lo = int(std::lround(m_min));
    // An empty range would turn the bar into a busy indicator.
    const int hi = std::max(lo + 1, int(std::lround(m_max)));
    setRange(lo, hi);
    QProgressBar::setValue(std::clamp(int(std::lround(m_value)), lo, hi));
}

void ProgressControl::paintEvent(QPaintEvent *event)
{
    if (QProgressBar::value() > minimum()) {
        QProgressBar::paintEvent(event);
        return;
    }
    // The style draws a one-pixel sliver even at the minimum; an empty bar
    // shows its groove alone.
    QStylePainter painter(this);
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_ProgressBarGroove, option);
}
