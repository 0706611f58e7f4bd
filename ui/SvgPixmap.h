#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

namespace SvgPixmap {
// Renders an SVG file (usually a resource) at `size` logical pixels for a
// screen of the given device-pixel ratio.
QPixmap render(const QString &path, QSize size, qreal devicePixelRatio);

// The same picture, rendered once per path, size and ratio and kept for
// the next asker.
QPixmap cached(const QString &path, QSize size, qreal devicePixelRatio);
} // namespace SvgPixmap
