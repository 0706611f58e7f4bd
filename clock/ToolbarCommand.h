#pragma once

#include <QKeyCombination>

class frmMain;

// One entry of the main window's toolbar. The toolbar is built from a table
// of these in its order, and its keys, clicks and lock read the same table,
// so an entry is described once. An entry without a key is a separator.
struct ToolbarCommand {
    const char *key = nullptr; // what the click handler dispatches on
    const char *caption = nullptr;
    const char *toolTip = nullptr; // empty: none
    int picture = 0;               // of ImageList1
    QKeyCombination shortcut{};    // Qt::Key_unknown: none
    bool lockedWhileRunning = false;
    void (*run)(frmMain &window) = nullptr;

    bool isSeparator() const { return key == nullptr; }
    bool hasShortcut() const { return shortcut.key() != Qt::Key_unknown; }
};
