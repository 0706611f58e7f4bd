#pragma once

#include <QString>

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

} // namespace BenchSupport
