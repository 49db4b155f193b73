#include "catalogue/db/software_query.h"

#include "catalogue/db/sql_text.h"

#include <array>
#include <vector>

namespace qm {

namespace {

const QLatin1String kOrder("ORDER");
const QLatin1String kWhere("WHERE");

// The fragments one mask field contributes. The first two are used when the search text is empty
// and the condition is inserted in front of the closing ORDER clause; the third is appended after
// the Name condition otherwise. The differing spellings are the program's own and kept as they are.
struct TFieldFragments {
    const char* firstCondition;
    const char* laterCondition;
    const char* afterName;
};

constexpr TFieldFragments kCD{"WHERE CDID = ", "AND CDID = ", " AND CDID = "};
constexpr TFieldFragments kCategory{"WHERE CategoryID = ", "AND CategoryID = ", " AND CategoryID = "};
constexpr TFieldFragments kType{"WHERE TypeID = ", "AND TypeID = ", " AND TypeID = "};
constexpr TFieldFragments kKeywords{"WHERE [Keywords] LIKE '%", "AND [Keywords] Like '%",
                                    " AND [Keywords] LIKE '%"};
constexpr TFieldFragments kDescription{"WHERE Description LIKE '%", "AND Description Like '%",
                                       " AND Description LIKE '%"};

struct TCondition {
    const TFieldFragments* fragments;
    QString value; // what follows the fragment: an ID, or a quoted text with its closing "%'"
};

QString ContainsValue(const QString& typed) {
    return QuotedLiteralText(typed) + QLatin1String("%'");
}

// The conditions of the filled fields after the search text, in statement order; runs the
// look-ups of the filled combo boxes as it goes.
std::vector<TCondition> FieldConditions(const TSearchMask& mask, const TLookupID& lookup) {
    std::vector<TCondition> conditions;
    const auto addLookup = [&](const QString& name, TCatalogueTable table, const TFieldFragments& f) {
        if (!name.isEmpty())
            conditions.push_back({&f, QString::number(lookup(table, LookupStatement(table, name)))});
    };
    addLookup(mask.cd, TCatalogueTable::ctCD, kCD);
    addLookup(mask.category, TCatalogueTable::ctCategory, kCategory);
    addLookup(mask.type, TCatalogueTable::ctType, kType);
    if (!mask.keywords.isEmpty())
        conditions.push_back({&kKeywords, ContainsValue(mask.keywords)});
    if (!mask.description.isEmpty())
        conditions.push_back({&kDescription, ContainsValue(mask.description)});
    return conditions;
}

QString WithoutSearchText(const std::vector<TCondition>& conditions) {
    QString s = QLatin1String(kAllSoftwareStatement);
    for (const TCondition& c : conditions) {
        const char* fragment = s.contains(kWhere) ? c.fragments->laterCondition : c.fragments->firstCondition;
        s.insert(s.lastIndexOf(kOrder), QLatin1String(fragment) + c.value + QLatin1Char(' '));
    }
    return s;
}

QString WithSearchText(const QString& search, const std::vector<TCondition>& conditions) {
    QString s = QLatin1String("SELECT * FROM Software WHERE NAME LIKE '%") + ContainsValue(search);
    for (const TCondition& c : conditions)
        s += QLatin1String(c.fragments->afterName) + c.value;
    return s + QLatin1String(" ORDER BY ID ASC");
}

constexpr std::array<const char*, 5> kSoftwareOrders{" ORDER BY NAME ASC", " ORDER BY CDID ASC",
                                                     " ORDER BY CategoryID ASC", " ORDER BY TypeID ASC",
                                                     " ORDER BY Keywords ASC"};

} // namespace

QString ComposeSoftwareStatement(const TSearchMask& mask, const TLookupID& lookup) {
    const std::vector<TCondition> conditions = FieldConditions(mask, lookup);
    return mask.search.isEmpty() ? WithoutSearchText(conditions) : WithSearchText(mask.search, conditions);
}

QString StripOrderBy(const QString& statement) {
    const qsizetype order = statement.lastIndexOf(kOrder);
    if (order < 0)
        return statement;
    return statement.left(std::max<qsizetype>(order - 1, 0));
}

std::optional<QString> SoftwareTitleClickStatement(const QString& builtStatement, int column) {
    if (column < 0 || column >= static_cast<int>(kSoftwareOrders.size()))
        return std::nullopt;
    return StripOrderBy(builtStatement) + QLatin1String(kSoftwareOrders[static_cast<std::size_t>(column)]);
}

} // namespace qm
