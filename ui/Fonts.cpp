#include "ui/Fonts.h"

namespace Fonts {

void registerSubstitutes()
{
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
}

QFont comic(qreal pointSize, bool bold)
{
    QFont f(QStringLiteral("Comic Sans MS"));
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}

} // namespace Fonts
