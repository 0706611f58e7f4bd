#pragma once

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <vector>

class QLayout;

// Scales a window's face as one. Every widget below the face takes its 100%
// place and size, fixed sizes, font, frame lines, icon size and style-sheet
// lengths times the factor, and the face its font, so that 200% is exactly
// twice 100% and back at 100% everything is where it was. The 100% values
// are read when the face first leaves 100%, as its layouts laid it out;
// while scaled those layouts stand still, so nothing moves but by the
// factor. Lives as the face's child, where the window's dialogs find it.
class FaceZoom : public QObject {
    Q_OBJECT
public:
    explicit FaceZoom(QWidget *face);

    qreal factor() const { return m_factor; }
    void setFactor(qreal factor);

    // The zoom of the face in `window`, or none.
    static const FaceZoom *of(const QWidget *window);
    // Where a window of `size` goes that opens `offset` (at 100%) right of
    // and below the top-left corner of the face in `mainWindow`: the offset
    // scaled with the face, kept inside the main window's screen. Without a
    // face the corner is the main window's own.
    static QPoint place(const QWidget *mainWindow, QPoint offset, QSize size);

private:
    struct Control {
        QPointer<QWidget> widget;
        QRect geometry;
        QSize minimum, maximum;
        bool ownFont = false;
        QFont font;
        int lineWidth = -1, midLineWidth = -1; // frames only
        QSize iconSize;                        // toolbars only
        QString styleSheet;
    };
    void capture();
    static Control read(QWidget *widget);
    static void apply(const Control &c, qreal factor);

    QWidget *m_face;
    qreal m_factor = 1.0;
    std::vector<Control> m_controls;
    std::vector<QPointer<QLayout>> m_layouts;
};
