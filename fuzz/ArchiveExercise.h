#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Stores `bytes` as the archive Varko.dat in `folder` and sends it through every
// path that reads an archive: start-up (the id counter), the record count,
// every record, the search by name, the saved-games list model (every cell),
// restoring each game found, and then a numbered and a named save. Returns a
// line for every expectation the archive code broke; empty when all held.
// Run it inside a Qt application object.
QStringList exerciseArchive(QByteArrayView bytes, const QString &folder);
