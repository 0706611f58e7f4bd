#pragma once

#include <QString>
#include <Qt>

class QWidget;

// What the clock benchmarks share: a settings dialog answered as a user
// would, the process's CPU time, and their run lengths.
namespace BenchSupport {

// From now on every modal dialog is the settings dialog, answered with two
// names, `limit` minutes and an empty game name, then OK.
void answerSettings(int limit);

// CPU seconds (user and system) this process used so far.
double cpuSeconds();

// The whole number in the environment variable `name`, or `fallback`.
int fromEnvironment(const char *name, int fallback);

// "hh:mm:ss" of a count of seconds.
QString clockText(int seconds);

// On the offscreen platform (the default of scripts/run-bench), a screen of
// 1920 x 1080 instead of its own small one, described in a file in `folder`.
// Call before the application is created.
void fullHdWhenOffscreen(const QString &folder);

// Sends a key press with these modifiers to `window`.
void press(QWidget &window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

} // namespace BenchSupport
