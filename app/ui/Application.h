// The windowed program: application object, title, main window, message loop.
#pragma once

class QApplication;

// Names, icon, font and Qt's own texts in Chinese; the tests set their application up the
// same way.
void PrepareApplication(QApplication& application);

// Runs the window until it closes; returns the exit status.
int RunWindow(int argc, char** argv);
