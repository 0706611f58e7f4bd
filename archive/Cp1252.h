#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The archive stores every character as one byte of Windows-1252. The table is
// our own so the conversion never depends on which codecs the platform offers.

// One byte per character of the text's composed form (NFC: "e" followed by a
// combining diaeresis is the one character "ë"); a surrogate pair is one
// character; a character that Windows-1252 cannot hold becomes '?'.
QByteArray toCp1252(QStringView text);

// The characters of the text's composed form that Windows-1252 cannot hold,
// each once, in the order they first appear; empty when it holds them all.
QString charactersOutsideCp1252(QStringView text);

// One character per byte. The five bytes Windows-1252 leaves unassigned
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) come back as the control characters of the
// same number, so every byte string survives a round trip unchanged.
QString fromCp1252(QByteArrayView bytes);
