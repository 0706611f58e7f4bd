#include "ui/AccessibleFactory.h"

#include "ui/ClientAreaAccessible.h"
#include "ui/ImageControl.h"
#include "ui/ImageControlAccessible.h"

#include <QAccessibleWidget>

namespace {

QAccessibleInterface *create(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto *widget = static_cast<QWidget *>(object);
    if (className == QLatin1String("ImageControl"))
        return new ImageControlAccessible(static_cast<ImageControl *>(widget));
    if (className == QLatin1String("StatusBarControl"))
        return new QAccessibleWidget(widget, QAccessible::StatusBar);
    if (className == QLatin1String("ClientArea"))
        return new ClientAreaAccessible(widget);
    return nullptr;
}

} // namespace

void AccessibleFactory::install()
{
    QAccessible::installFactory(&create); // a second call adds nothing
}
