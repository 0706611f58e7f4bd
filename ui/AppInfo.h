#pragma once

#include <QString>

// What the program knows about itself: folder, title, version, help file.
namespace App {

// The program's folder, without a trailing separator.
QString Path();
// Joins a name written with a leading backslash ("\Varko.dat") to a folder
// with the native separator.
QString join(const QString &folder, const QString &backslashName);

QString Title(); // "Varko"
int Major();
int Minor();
int Revision();

// The help file: beside the program when it is there, else in the shared data
// folder of an installation (<prefix>/share/varko beside <prefix>/bin), else
// beside the program again, where the help viewer reports it missing.
QString locateHelpFile();

// The help file the program opens, located once at start.
QString HelpFile();
void setHelpFile(const QString &path);

// Tests point the program at a folder of their own.
void overridePath(const QString &folder); // empty: the real program folder

} // namespace App
