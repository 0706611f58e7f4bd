#include "ui/ZoomSteps.h"

#include <algorithm>
#include <cmath>

namespace ZoomSteps {

QSize scaled(QSize size, qreal factor)
{
    return QSize(int(std::lround(size.width() * factor)), int(std::lround(size.height() * factor)));
}

qreal largestFitting(QSize face, QSize room)
{
    qreal fitting = Steps.front();
    for (const qreal step : Steps)
        if (scaled(face, step).boundedTo(room) == scaled(face, step))
            fitting = step;
    return fitting;
}

qreal next(qreal current, int direction, QSize face, QSize room)
{
    qreal step = Steps.front();
    if (direction > 0) {
        // The first step above, or the top one.
        const auto above = std::upper_bound(Steps.begin(), Steps.end(), current);
        step = above == Steps.end() ? Steps.back() : *above;
    } else if (direction < 0) {
        // The last step below, or the bottom one.
        const auto below = std::lower_bound(Steps.begin(), Steps.end(), current);
        step = below == Steps.begin() ? Steps.front() : *(below - 1);
    }
    return std::min(step, largestFitting(face, room));
}

qreal fullScreen(QSize face, QSize screen)
{
    if (face.isEmpty() || screen.isEmpty())
        return 1.0;
    return std::min(qreal(screen.width()) / face.width(), qreal(screen.height()) / face.height());
}

} // namespace ZoomSteps
