#pragma once
// Building a catalogue from the tables of another database (a Jet file, through TTableSource):
// the four tables are found by name whatever their case, their columns by name in any order, and
// every row is copied with its ID.

#include "catalogue/transfer/catalogue_rows.h"
#include "jet/table_source.h"

#include <functional>

namespace qm {

// Empty when `source` holds the four tables with their columns, else what is missing.
QString SourceCatalogueProblem(const TTableSource& source);

// Called every 10,000 rows while a table is copied: its name, rows copied, rows it says it holds.
using TProgress = std::function<void(const QString& table, qint64 done, qint64 total)>;

// Writes every row of the four tables of `source` into `connection`, a catalogue with empty
// tables. A value a column cannot hold raises qm::Exception naming the table, the row's ID and
// the column.
TTableCounts CopySourceCatalogue(const TTableSource& source, TSQLiteConnection& connection,
                                 const TProgress& progress = {});

} // namespace qm
