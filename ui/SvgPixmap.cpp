#include "ui/SvgPixmap.h"

#include <QPainter>
#include <QSvgRenderer>

namespace SvgPixmap {

QPixmap render(const QString &path, QSize size, qreal devicePixelRatio)
{
    if (size.isEmpty())
        return {};
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(path);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

} // namespace SvgPixmap
