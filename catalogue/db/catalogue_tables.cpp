#include "catalogue/db/catalogue_tables.h"

#include "catalogue/db/sql_text.h"

#include <array>

namespace qm {

namespace {

// The spelling of each fragment is kept as the program has always sent it; the engine ignores the
// case of keywords and table names.
constexpr std::array<TCatalogueTableTexts, 3> kTableTexts{{
    {"SELECT * FROM CD", "SELECT * FROM CD WHERE NAME LIKE '", "SELECT * FROM CD ORDER BY ID ASC",
     "SELECT * FROM CD ORDER BY NAME ASC", "SELECT ID, Name FROM CD WHERE Name = '",
     "SELECT * FROM CD WHERE ID = ", "CD",
     "There is no CD with such an ID!\n(Choose an existing ID from the tab CD)"},
    {"SELECT * FROM Category", "SELECT * FROM Category WHERE NAME LIKE '",
     "SELECT * FROM Category ORDER BY ID ASC", "SELECT * FROM Category ORDER BY NAME ASC",
     "SELECT ID, Name FROM CATEGORY WHERE Name = '", "SELECT * FROM CATEGORY WHERE ID = ", "Category",
     "There is no Category with such an ID!\n(Choose an existing ID from the tab Category)"},
    {"SELECT * FROM Type", "SELECT * FROM TYPE WHERE NAME LIKE '", "SELECT * FROM Type ORDER BY ID ASC",
     "SELECT * FROM Type ORDER BY NAME ASC", "SELECT ID, Name FROM Type WHERE Name = '",
     "SELECT * FROM TYPE WHERE ID = ", "Type",
     "There is no Type with such an ID!\n(Choose an existing ID from the tab Type)"},
}};

} // namespace

const TCatalogueTableTexts& TableTexts(TCatalogueTable table) {
    return kTableTexts[static_cast<std::size_t>(table)];
}

QString NameFilterStatement(TCatalogueTable table, const QString& typed) {
    return QLatin1String(TableTexts(table).nameFilterPrefix) + QuotedLiteralText(typed) + QLatin1String("%'");
}

QString LookupStatement(TCatalogueTable table, const QString& name) {
    return QLatin1String(TableTexts(table).lookupPrefix) + QuotedLiteralText(name) + QLatin1Char('\'');
}

QString IDNameStatement(TCatalogueTable table, qint64 id) {
    return QLatin1String(TableTexts(table).idNamePrefix) + QString::number(id);
}

std::optional<QString> TableTitleClickStatement(TCatalogueTable table, int column) {
    switch (column) {
    case 0:
        return QString::fromLatin1(TableTexts(table).orderByID);
    case 1:
        return QString::fromLatin1(TableTexts(table).orderByName);
    default:
        return std::nullopt;
    }
}

std::optional<TCatalogueTable> ReferencedTable(int softwareColumn) {
    switch (softwareColumn) {
    case 1:
        return TCatalogueTable::ctCD;
    case 2:
        return TCatalogueTable::ctCategory;
    case 3:
        return TCatalogueTable::ctType;
    default:
        return std::nullopt;
    }
}

} // namespace qm
