#pragma once
// Start-up on a catalogue kept in the Jet format: the user is asked whether to convert it; on yes
// the Jet file is kept byte for byte beside it and a new catalogue with all its rows takes its
// place, on no nothing changes.

#include <QString>

class QMainWindow;

namespace qm {

class TApplication;

// Returns true when start-up goes on with `databaseFile`: it is no Jet file, or it was converted.
// False when the user said no, or the Jet file is no catalogue or cannot be converted (the reason
// was shown); the files are then as they were. `converter` is the program that reads Jet files.
bool OfferJetConversion(TApplication& application, const QString& databaseFile, const QString& converter);

// Shows the catalogue file's full path at the right of the window's status bar.
void ShowCatalogueFile(QMainWindow& window, const QString& databaseFile);

} // namespace qm
