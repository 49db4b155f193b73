#pragma once
// The File menu's entries for the disc record ("Scan Disc…", "Verify Disc…", "Find File"), added
// to the main window in code so that its form description stays as it is.

#include <QtGlobal>

namespace qm {

class TForm1;

// Makes the disc tables of the window's catalogue where they are missing and adds the entries
// before "Exit"; called once from TForm1's constructor.
void AddDiscMenuItems(TForm1& form);
// Shows the CD page with the CD `cd` current (after a scan, or from the "Find File" window).
void ShowCDOnCDPage(TForm1& form, qint64 cd);

} // namespace qm
