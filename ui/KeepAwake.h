#pragma once

#include "ui/KeepAwakeSeam.h"

// Keeps the screen from blanking while a game runs.
namespace KeepAwake {

// Asks the desktop to keep the screen awake when `gameRunning` turns true and
// lets go when it turns false; repeating the current state does nothing.
void sync(bool gameRunning);

} // namespace KeepAwake
