#pragma once

#include <QLabel>
#include <QString>

// A picture control: shows an SVG picture crisply at any size, can be moved
// and hidden, and raises Click when pressed with the mouse. A hidden image
// raises no click. It never takes keyboard focus. The picture is drawn from
// its SVG source when it is first painted, at the size and device-pixel
// ratio it is shown at: a picture that stays hidden costs nothing.
class ImageControl : public QLabel {
    Q_OBJECT
public:
    explicit ImageControl(QWidget *parent = nullptr);

    void setPicture(const QString &resourcePath);

    void move(int leftTwips, int topTwips); // position in twips

    // A clickable picture acts as a button for assistive technology.
    void setClickable(bool clickable) { m_clickable = clickable; }
    bool isClickable() const { return m_clickable; }
    // A picture that is only decoration is not offered to assistive technology.
    void setDecoration(bool decoration) { m_decoration = decoration; }
    bool isDecoration() const { return m_decoration; }

signals:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_path;
    bool m_clickable = false;
    bool m_decoration = false;
};
