#pragma once
// The File menu's entries for the disc record ("Scan Disc…", "Verify Disc…", "Find File"), added
// to the main window in code so that its form description stays as it is.

#include <QString>

namespace qm {

class TForm1;

// Makes the disc tables of the window's catalogue where they are missing and adds the entries
// before "Exit"; called once from TForm1's constructor.
void AddDiscMenuItems(TForm1& form);
// What "Scan Disc…" does once the folder or image is chosen: scans it behind the progress dialog,
// offers the Software entry of its autorun.inf, and keeps both as the one Undo step "Scan 'Disc'".
void ScanDiscFrom(TForm1& form, const QString& source);
// Shows the CD page with the CD `cd` current (after a scan, or from the "Find File" window).
void ShowCDOnCDPage(TForm1& form, qint64 cd);

} // namespace qm
