#pragma once

#include <QString>
#include <QToolBar>
#include <vector>

class QAction;

// A toolbar whose entries are addressed by position from 1, separators
// included. Each button has a Key; a click on an enabled button raises one
// ButtonClick carrying the button's position and Key.
class ToolbarControl : public QToolBar {
    Q_OBJECT
public:
    explicit ToolbarControl(QWidget *parent = nullptr);

    void addButton(const QString &key, const QString &caption, const QString &toolTip,
                   const QString &iconPath);
    void addSeparatorEntry();

    int count() const { return int(m_entries.size()); }
    QString Key(int n) const;
    void setEnabled(int n, bool enabled);
    QAction *action(int n) const;
    QWidget *buttonWidget(int n) const;

signals:
    void ButtonClick(int index, const QString &key);

private:
    struct Entry {
        QString key;
        QAction *action = nullptr;
        bool separator = false;
    };
    const Entry *entry(int n) const;

    std::vector<Entry> m_entries;
};
