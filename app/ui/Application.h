// The windowed program: application object, title, main window, message loop.
#pragma once

// Runs the window until it closes; returns the exit status.
int RunWindow(int argc, char** argv);
