#pragma once

#include <QSize>
#include <array>

// The zoom steps of a window whose face keeps its proportions, and the
// factor at which the face fills a screen. Pure arithmetic on sizes, so the
// choices can be checked without a screen.
namespace ZoomSteps {

inline constexpr std::array<qreal, 7> Steps{1.0, 1.25, 1.5, 2.0, 2.5, 3.0, 4.0};

// A size times a factor, each side rounded to whole pixels.
QSize scaled(QSize size, qreal factor);

// The largest step at which `face` fits into `room`; 100% when none does.
qreal largestFitting(QSize face, QSize room);

// The step one up (direction 1) or down (-1) from `current`, or back to
// 100% (0), never larger than the largest that fits into `room`.
qreal next(qreal current, int direction, QSize face, QSize room);

// The largest factor at which `face` fits on a screen of `screen`.
qreal fullScreen(QSize face, QSize screen);

} // namespace ZoomSteps
