#pragma once

#include <QAccessibleWidget>

class ImageControl;

// What assistive technology sees of a picture control: a graphic, or a
// button with a press action when the picture can be clicked.
class ImageControlAccessible : public QAccessibleWidget {
public:
    explicit ImageControlAccessible(ImageControl *image);

    QAccessible::Role role() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    ImageControl *image() const;
};
