#pragma once

#include <QWidget>

// The client area of a main window: holds the controls at their places. For
// assistive technology it offers its controls without the decorative pictures.
class ClientArea : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};
