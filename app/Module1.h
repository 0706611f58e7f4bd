#pragma once

#include <QString>

// Program-wide variables. The dialogs hand their results back through them and
// the main window reads them after a modal window has closed.
struct Module1Vars {
    int TimeLimit = 0; // minutes per player
    QString WhiteName;
    QString BlackName;
    QString GameName;
    qint16 LastId = 0; // the archive's id counter (numbered game names)
    int NewId = 0;
    QString SelectedGame; // chosen in the saved-games browser; empty when none
    QString ArchivePath;  // full path of Varko.dat
};

extern Module1Vars Module1;
