#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The archive stores every character as one byte of Windows-1252. The table is
// our own so the conversion never depends on which codecs the platform offers.

// One byte per character (a surrogate pair is one character); a character that
// Windows-1252 cannot hold becomes '?'.
QByteArray toCp1252(QStringView text);

// One character per byte. The five bytes Windows-1252 leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) come back as the control characters of the
// same number, so every byte string survives a round trip unchanged.
QString fromCp1252(QByteArrayView bytes);
