#include "catalogue/catalogue_statements.h"

namespace qm {

void ReplaceStatement(TQuery& query, const QString& statement) {
    query.Close();
    query.setSQL(statement);
    query.Open();
}

qint64 LookupID(TQuery& lookup, const QString& statement) {
    ReplaceStatement(lookup, statement);
    return lookup.Field(0).toLongLong();
}

TQuery& LookupQuery(TCatalogueData& data, TCatalogueTable table) {
    switch (table) {
    case TCatalogueTable::ctCD:
        return data.ADOQueryCD2;
    case TCatalogueTable::ctCategory:
        return data.ADOQueryCategory2;
    case TCatalogueTable::ctType:
        break;
    }
    return data.ADOQueryType2;
}

TQuery& TableQuery(TCatalogueData& data, TCatalogueTable table) {
    switch (table) {
    case TCatalogueTable::ctCD:
        return data.ADOQueryCD;
    case TCatalogueTable::ctCategory:
        return data.ADOQueryCategory;
    case TCatalogueTable::ctType:
        break;
    }
    return data.ADOQueryType;
}

QString BuildSoftwareQuery(TCatalogueData& data, const TSearchMask& mask) {
    return BuildSoftwareQuery(mask, [&data](TCatalogueTable table, const QString& statement) {
        return LookupID(LookupQuery(data, table), statement);
    });
}

} // namespace qm
