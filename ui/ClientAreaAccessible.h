#pragma once

#include <QAccessibleWidget>
#include <QList>

// What assistive technology sees of a ClientArea: its child controls, less
// the pictures that are only decoration.
class ClientAreaAccessible : public QAccessibleWidget {
public:
    explicit ClientAreaAccessible(QWidget *area);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    QList<QWidget *> offered() const;
};
