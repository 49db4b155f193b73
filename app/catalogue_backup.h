#pragma once
// The backup copy of the catalogue: before this process first writes to the catalogue, the file
// is copied to "<catalogue>.bak" with SQLite's online backup, so that one bad session can always
// be undone by hand. A run that only reads leaves the last backup alone.

#include <QString>

namespace qm {

// "swdb.mdb.bak" for "swdb.mdb".
QString BackupFileName(const QString& catalogueFile);

// From now on, the first statement of this process that inserts, updates or deletes rows of
// `catalogueFile` makes the backup first (once per run). Every connection opened afterwards is
// watched; arm before the catalogue is opened.
void ArmCatalogueBackup(const QString& catalogueFile);

// Copies the database `catalogueFile` to `backupFile` with the online backup, through a temporary
// file that replaces `backupFile` only when complete. Raises qm::Exception when it fails.
void BackupCatalogue(const QString& catalogueFile, const QString& backupFile);

} // namespace qm
