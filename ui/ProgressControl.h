#pragma once

#include <QProgressBar>

// A progress bar whose Min, Max and Value are single-precision numbers.
class ProgressControl : public QProgressBar {
    Q_OBJECT
public:
    explicit ProgressControl(QWidget *parent = nullptr);

    void setMin(float v);
    void setMax(float v);
    void setValue(float v);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void apply();

    float m_min = 0;
    float m_max = 100;
    float m_value = 0;
};
