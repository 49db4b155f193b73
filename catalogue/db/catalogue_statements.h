#pragma once
// Runs the catalogue's statements on the data module's queries: replacing a query's statement,
// the name-to-ID look-ups of the search mask and the Software statement built from the mask.

#include "catalogue/db/catalogue_data.h"
#include "catalogue/db/catalogue_tables.h"
#include "catalogue/db/software_query.h"

namespace qm {

// Posts a pending edit of `query`, closes it, replaces its statement and opens it. A refused post
// raises and leaves the query as it was; a statement the engine rejects raises EDatabaseError and
// leaves the query closed.
void ReplaceStatement(TQuery& query, const QString& statement);

// Runs `statement` on `lookup` and returns column 0 (ID) of its first row, 0 when it has none. The
// query keeps the statement until the name lists are read again.
qint64 LookupID(TQuery& lookup, const QString& statement);

// The query that turns names of `table` into IDs (and IDs into names).
TQuery& LookupQuery(TCatalogueData& data, TCatalogueTable table);
// The query shown on the tab of `table`.
TQuery& TableQuery(TCatalogueData& data, TCatalogueTable table);

// The Software statement for `mask`, its combo names looked up on the look-up queries.
QString SoftwareStatementForMask(TCatalogueData& data, const TSearchMask& mask);

} // namespace qm
