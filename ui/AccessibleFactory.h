#pragma once

// Gives the program's own controls the interfaces assistive technology
// reads: picture buttons, the status bar as a status bar, the main window's
// client area without its decoration. Called once after QApplication exists.
namespace AccessibleFactory {
void install();
}
