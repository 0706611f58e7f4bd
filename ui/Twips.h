#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Window positions are laid out in twips; 15 twips make one logical pixel at
// 96 dpi and Qt scales logical pixels for high-DPI screens.
namespace Twips {
constexpr int PerPixel = 15;
constexpr int px(int twips)
{
    return (twips + PerPixel / 2) / PerPixel;
}
constexpr int fromPx(int pixels)
{
    return pixels * PerPixel;
}
inline QRect rect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}
inline QSize size(int width, int height)
{
    return QSize(px(width), px(height));
}
inline QPoint point(int left, int top)
{
    return QPoint(px(left), px(top));
}
} // namespace Twips
