#pragma once
// The sort keys of SOFTWARE's Name and Keywords (SortKeyUtf8), kept in the table SOFTWARE_KEYS
// beside it and indexed, so that a search matches short keys instead of whole rows and a sort by
// either column walks an index instead of sorting a million rows by the Unicode-aware collation.
//
// The file stays an ordinary SQLite database for any other program: the indexes are plain byte
// order, and triggers that use only the engine's built-in functions keep the table in step with
// every write, also from the standard shell. They give a text of plain ASCII its key at once
// (its lower-case form); any other text they mark stale, and the program computes its key before
// the keys are next used, or when the catalogue is opened.

#include <QString>
#include <optional>

namespace qm {

class TSQLiteConnection;

// Creates the table, its indexes and triggers anew (dropping any there are) and fills it from
// SOFTWARE, inside the caller's transaction.
void CreateSoftwareKeys(TSQLiteConnection& connection);

// Drops the table, its indexes and triggers inside the caller's transaction, for filling SOFTWARE
// in bulk without a trigger run per row; CreateSoftwareKeys in the same transaction makes them again.
void DropSoftwareKeys(TSQLiteConnection& connection);

// Creates the table, its indexes and triggers, and fills it from SOFTWARE, when the catalogue lacks
// any of them or they differ from what this program makes (an older catalogue); then computes the
// keys left stale. One transaction: on failure nothing changes and EDatabaseError is raised.
void UpdateSoftwareKeys(TSQLiteConnection& connection);

// Computes the keys the triggers left stale; false when there are no keys to use on this
// connection (a catalogue on read-only storage that has none or stale ones, or a locked file).
bool RefreshSoftwareKeys(TSQLiteConnection& connection);

// For ADOQuerySoftware: the keys of a Software statement of the search mask or a title click
// through the sort keys, once they are fresh; none for any other statement or without keys.
std::optional<QString> FasterSoftwareKeys(TSQLiteConnection& connection, const QString& sql);

} // namespace qm
