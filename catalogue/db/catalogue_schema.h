#pragma once
// The catalogue's tables in the database file: creating a new catalogue, recognising an
// existing one without changing a byte of a file that is not one.

#include <QString>

namespace qm {

class TSQLiteConnection;

// The statements that create an empty catalogue (tables and the indexes of the ID columns).
void CreateCatalogueSchema(TSQLiteConnection& connection);
// The same in two steps, for filling a new catalogue in bulk: the bare tables first, then the
// indexes, sort keys and their triggers, built once from all rows.
void CreateCatalogueTables(TSQLiteConnection& connection);
void CreateCatalogueIndexes(TSQLiteConnection& connection);
// Empty when the database holds the four tables with their columns, else what is missing.
QString CatalogueSchemaProblem(TSQLiteConnection& connection);
// Makes `fileName` a usable catalogue: creates it when missing; raises qm::Exception naming the
// file when it exists but is not a catalogue (the file is only read then).
void PrepareCatalogueFile(const QString& fileName);

} // namespace qm
