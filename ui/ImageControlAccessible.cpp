#include "ui/ImageControlAccessible.h"

#include "ui/ImageControl.h"

ImageControlAccessible::ImageControlAccessible(ImageControl *image)
    : QAccessibleWidget(image, QAccessible::Graphic)
{
}

ImageControl *ImageControlAccessible::image() const
{
    return static_cast<ImageControl *>(widget());
}

QAccessible::Role ImageControlAccessible::role() const
{
    return image()->isClickable() ? QAccessible::Button : QAccessible::Graphic;
}

QStringList ImageControlAccessible::actionNames() const
{
    if (image()->isClickable() && !image()->isHidden())
        return {pressAction()};
    return {};
}

void ImageControlAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction() && image()->isClickable() && !image()->isHidden())
        emit image()->Click();
}
