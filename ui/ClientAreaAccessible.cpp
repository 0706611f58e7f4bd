#include "ui/ClientAreaAccessible.h"

#include "ui/ImageControl.h"

ClientAreaAccessible::ClientAreaAccessible(QWidget *area) : QAccessibleWidget(area, QAccessible::Client) {}

QList<QWidget *> ClientAreaAccessible::offered() const
{
    QList<QWidget *> controls;
    for (QObject *o : widget()->children()) {
        auto *control = qobject_cast<QWidget *>(o);
        if (!control || control->isWindow())
            continue;
        const auto *image = qobject_cast<ImageControl *>(control);
        if (!image || !image->isDecoration())
            controls.append(control);
    }
    return controls;
}

int ClientAreaAccessible::childCount() const
{
    return int(offered().size());
}

QAccessibleInterface *ClientAreaAccessible::child(int index) const
{
    const QList<QWidget *> controls = offered();
    return index >= 0 && index < controls.size() ? QAccessible::queryAccessibleInterface(controls.at(index))
                                                 : nullptr;
}

int ClientAreaAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child ? int(offered().indexOf(qobject_cast<QWidget *>(child->object()))) : -1;
}
