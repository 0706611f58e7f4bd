#include "ui/ToolbarControl.h"

#include <QAction>
#include <QIcon>
#include <QToolButton>

ToolbarControl::ToolbarControl(QWidget *parent) : QToolBar(parent)
{
    setMovable(false);
    setFloatable(false);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setIconSize(QSize(16, 16));
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void ToolbarControl::addButton(const QString &key, const QString &caption, const QString &toolTip,
                               const QString &iconPath)
{
    QAction *act = addAction(QIcon(iconPath), caption);
    act->setObjectName(QStringLiteral("Toolbar1_") + key);
    // QAction shows its text as tooltip when none is set; buttons without a
    // tooltip show none.
    act->setToolTip(toolTip);
    const int index = count() + 1;
    connect(act, &QAction::triggered, this, [this, index, key] { emit ButtonClick(index, key); });
    if (QWidget *w = widgetForAction(act)) {
        w->setFocusPolicy(Qt::NoFocus);
        w->setObjectName(QStringLiteral("Toolbar1_button_") + key);
        // The button takes the action's tooltip again whenever the action
        // changes (enabled, disabled), so it is cleared after every change.
        if (toolTip.isEmpty()) {
            w->setToolTip(QString());
            connect(act, &QAction::changed, w, [w] { w->setToolTip(QString()); });
        }
    }
    m_entries.push_back(Entry{key, act, false});
}

void ToolbarControl::addSeparatorEntry()
{
    m_entries.push_back(Entry{QString(), addSeparator(), true});
}

const ToolbarControl::Entry *ToolbarControl::entry(int n) const
{
    return n >= 1 && n <= count() ? &m_entries[size_t(n - 1)] : nullptr;
}

QString ToolbarControl::Key(int n) const
{
    const Entry *e = entry(n);
    return e ? e->key : QString();
}

void ToolbarControl::setEnabled(int n, bool enabled)
{
    if (const Entry *e = entry(n))
        e->action->setEnabled(enabled);
}

QAction *ToolbarControl::action(int n) const
{
    const Entry *e = entry(n);
    return e ? e->action : nullptr;
}

QWidget *ToolbarControl::buttonWidget(int n) const
{
    const Entry *e = entry(n);
    return e && !e->separator ? widgetForAction(e->action) : nullptr;
}
