#include "catalogue/db/catalogue_statements.h"

#include <array>

namespace qm {

namespace {

// The query each table's page shows and the one that looks its names and IDs up.
struct TTableQueries {
    TQuery TCatalogueData::*shown;
    TQuery TCatalogueData::*lookup;
};

constexpr std::array<TTableQueries, 3> kTableQueries{{
    {&TCatalogueData::ADOQueryCD, &TCatalogueData::ADOQueryCD2},
    {&TCatalogueData::ADOQueryCategory, &TCatalogueData::ADOQueryCategory2},
    {&TCatalogueData::ADOQueryType, &TCatalogueData::ADOQueryType2},
}};

} // namespace

void ReplaceStatement(TQuery& query, const QString& statement) {
    // A row being edited is written first: a refused post stops here, with the edit in place.
    if (query.Active())
        query.Post();
    query.Close();
    query.SetSQL(statement);
    query.Open();
}

qint64 LookupID(TQuery& lookup, const QString& statement) {
    ReplaceStatement(lookup, statement);
    return lookup.Field(0).toLongLong();
}

TQuery& LookupQuery(TCatalogueData& data, TCatalogueTable table) {
    return data.*kTableQueries[static_cast<std::size_t>(table)].lookup;
}

TQuery& TableQuery(TCatalogueData& data, TCatalogueTable table) {
    return data.*kTableQueries[static_cast<std::size_t>(table)].shown;
}

QString SoftwareStatementForMask(TCatalogueData& data, const TSearchMask& mask) {
    return ComposeSoftwareStatement(mask, [&data](TCatalogueTable table, const QString& statement) {
        return LookupID(LookupQuery(data, table), statement);
    });
}

} // namespace qm
