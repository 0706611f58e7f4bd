#pragma once

#include "archive/GameRecord.h"
#include "archive/Result.h"

#include <QString>

// What the clock window shows at the moment of saving.
struct GameSnapshot {
    QString whitePlayer, blackPlayer; // frame captions
    QString whiteHours, whiteMinutes, whiteSeconds, blackHours, blackMinutes, blackSeconds, totalHours,
        totalMinutes, totalSeconds; // clock captions
    int timeLimit = 0;
    QString whiteLeftCaption, blackLeftCaption; // remaining-minutes captions
};

// The record a save writes for `s` under `name`: the limit as a number field,
// the remaining minutes without the caption's blanks.
GameRecord savedRecord(const GameSnapshot &s, const QString &name);

// Saves the snapshot under Module1.GameName: over the highest-numbered record
// of that name, else appended. A game without a name (or a name of blanks)
// gets the next numbered name "Varko" N, one more than Module1.LastId, the
// archive's counter and every numbered name already saved; the id record is
// rewritten with it. On success Module1.GameName (and, for a numbered name,
// Module1.NewId and Module1.LastId) are updated; on failure nothing changes,
// neither in Module1 nor in the archive file (when even putting the file back
// fails, its journal has that done at its next opening). A power cut leaves
// the save wholly there or wholly absent. The record written.
Reported<qint64> saveGame(const GameSnapshot &s);
