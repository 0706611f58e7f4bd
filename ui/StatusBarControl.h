#pragma once

#include <QFrame>

class QLabel;
class QTimer;
class ImageControl;

// A three-panel status bar: panel 1 the date, panel 2 the time (both kept up
// to date by the bar itself), panel 3 a picture and a text.
class StatusBarControl : public QFrame {
    Q_OBJECT
public:
    explicit StatusBarControl(QWidget *parent = nullptr);

    void setPanelText(int panel, const QString &text);            // panel 3 only
    void setPanelPicture(int panel, const QString &resourcePath); // panel 3 only

    // Lays the panels out with these widths (pixels).
    void setPanelWidths(int date, int time, int text);

    void refreshClock();

private:
    QLabel *m_date;
    QLabel *m_time;
    QFrame *m_panel3;
    ImageControl *m_icon;
    QLabel *m_text;
    QTimer *m_refresh;
};
