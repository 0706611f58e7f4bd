#pragma once

#include "archive/Result.h"

#include <QString>

// A field of a saved game: its text as stored (blanks included) and its number.
struct RestoredNumber {
    QString text;
    int number = 0;
};

struct RestoredGame {
    qint64 record = 0;
    QString whitePlayer, blackPlayer; // blanks at both ends removed
    RestoredNumber whiteHours, whiteMinutes, whiteSeconds;
    RestoredNumber blackHours, blackMinutes, blackSeconds;
    RestoredNumber totalHours, totalMinutes, totalSeconds;
    RestoredNumber limit, whiteLeft, blackLeft;
};

// Reads the highest-numbered game record named selectedGame (blanks at both
// ends ignored). Refused, with a message, when the record is gone or a clock
// or limit field holds no number (or a clock minute or second outside 0..59,
// a negative hour), so the window never takes in a damaged game.
Reported<RestoredGame> loadGame(const QString &selectedGame);
