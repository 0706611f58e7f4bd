#include "ui/SvgPixmap.h"

#include <QPainter>
#include <QPixmapCache>
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

QPixmap cached(const QString &path, QSize size, qreal devicePixelRatio)
{
    const QString key = QStringLiteral("varko-svg:%1:%2x%3@%4")
                            .arg(path)
                            .arg(size.width())
                            .arg(size.height())
                            .arg(devicePixelRatio);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = render(path, size, devicePixelRatio);
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

} // namespace SvgPixmap
