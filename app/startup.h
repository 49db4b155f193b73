#pragma once
// The program's start-up: one copy per user, the application object, the main window and the
// message loop, with one catch around window creation and the loop.

#include <QString>

namespace qm {

class TApplication;
class TSingleInstance;

// Turns what would abort the process at any point (a fatal message of the toolkit, such as a
// platform plugin that cannot reach its display, or an exception nobody catches) into one line on
// the standard error and exit code 1. Installed first thing in main.
void InstallFailureHandlers();

// The whole program. Returns 0, also when another copy runs (it is asked to come to the front)
// and when start-up fails (the failure is shown first); 1 when there is no display to run on.
int RunQuillmere(int argc, char** argv);

// Creates the main window over `databaseFile`, answers later starts through `instance` (when
// given) and runs the message loop until the window closes. A failure on the way is reported in
// the application's exception box. Returns 0.
int RunMainWindow(TApplication& application, TSingleInstance* instance, const QString& databaseFile);

// The program's name, which captions the application's message boxes.
void NameApplication(TApplication& application);

// True when the windowing system can be reached: a display, a Wayland socket or a platform chosen
// for Qt.
bool HasDisplay();

} // namespace qm
