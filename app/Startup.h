#pragma once

// Starts the program: application object, fonts, main window, event loop.
int runVarko(int argc, char *argv[]);
