#include "ui/StatusBarControl.h"

#include "ui/ImageControl.h"
#include "ui/WallClock.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QTimer>

namespace {
QLabel *sunkenPanel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}
} // namespace

StatusBarControl::StatusBarControl(QWidget *parent)
    : QFrame(parent), m_date(sunkenPanel(this)), m_time(sunkenPanel(this)), m_panel3(new QFrame(this)),
      m_icon(new ImageControl(m_panel3)), m_text(new QLabel(m_panel3)), m_refresh(new QTimer(this))
{
    setFocusPolicy(Qt::NoFocus);
    m_date->setObjectName(QStringLiteral("STB1_Panel1"));
    m_time->setObjectName(QStringLiteral("STB1_Panel2"));
    m_panel3->setObjectName(QStringLiteral("STB1_Panel3"));
    m_panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_icon->setFixedSize(20, 20);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setObjectName(QStringLiteral("STB1_Text"));
    m_text->setAccessibleDescription(tr("Status line"));
    m_date->setAccessibleDescription(tr("Today's date"));
    m_time->setAccessibleDescription(tr("Time of day"));
    m_icon->setAccessibleName(tr("Game clock animation"));

    auto *inner = new QHBoxLayout(m_panel3);
    inner->setContentsMargins(2, 0, 2, 0);
    inner->setSpacing(4);
    inner->addWidget(m_icon);
    inner->addWidget(m_text, 1);

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(2);
    row->addWidget(m_date);
    row->addWidget(m_time);
    row->addWidget(m_panel3);
    row->addStretch(1);

    m_refresh->setInterval(1000);
    connect(m_refresh, &QTimer::timeout, this, &StatusBarControl::refreshClock);
    m_refresh->start();
    refreshClock();
}

void StatusBarControl::setPanelWidths(int date, int time, int text)
{
    m_date->setFixedWidth(date);
    m_time->setFixedWidth(time);
    m_panel3->setFixedWidth(text);
}

void StatusBarControl::refreshClock()
{
    const QDateTime now = WallClock::now();
    const QLocale locale;
    m_date->setText(locale.toString(now.date(), QLocale::ShortFormat));
    m_time->setText(locale.toString(now.time(), QStringLiteral("HH:mm:ss")));
}

void StatusBarControl::setPanelText(int panel, const QString &text)
{
    if (panel != 3 || m_text->text() == text)
        return;
    // The label's own name-change event is what screen readers announce.
    m_text->setText(text);
}

void StatusBarControl::setPanelPicture(int panel, const QString &resourcePath)
{
    if (panel == 3)
        m_icon->setPicture(resourcePath);
}
