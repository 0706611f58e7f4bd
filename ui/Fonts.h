#pragma once

#include <QFont>

// The windows ask for "Comic Sans MS"; where it is missing the free look-alike
// "Comic Neue" stands in.
namespace Fonts {
void registerSubstitutes();
QFont comic(qreal pointSize, bool bold = false);
} // namespace Fonts
