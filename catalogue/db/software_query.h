#pragma once

#include "catalogue/db/catalogue_tables.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <optional>

namespace qm {

// The texts of the six search-mask fields of the Software tab, exactly as typed.
struct TSearchMask {
    QString search{};      // EditSearch: Name contains it
    QString cd{};          // ComboCD: CDID is the ID of the CD of that name
    QString category{};    // ComboCategory
    QString type{};        // ComboType
    QString keywords{};    // EditKeywords: Keywords contains it
    QString description{}; // EditDescription: Description contains it
};

// Runs a look-up statement on the look-up query of `table` and returns the ID of its first row, 0
// when it has none.
using TLookupID = std::function<qint64(TCatalogueTable table, const QString& statement)>;

// The unfiltered Software statement in ID order, shown at start and after Clear Searchmask.
inline constexpr const char* kAllSoftwareStatement = "SELECT * FROM SOFTWARE ORDER BY ID ASC";

// The Software statement for the mask: every filled field adds a condition, all joined by AND, and
// the statement always ends in " ORDER BY ID ASC". Names chosen in the combo boxes are turned into
// IDs through `lookup`, in the order CD, Category, Type.
QString ComposeSoftwareStatement(const TSearchMask& mask, const TLookupID& lookup);

// The statement cut before its closing ORDER clause (and the blank in front of it); a statement
// without one has nothing to cut.
QString StripOrderBy(const QString& statement);

// The re-sort of a title click on column `column` of the Software grid: the built statement with
// its order replaced. None for a position that has no fixed column.
std::optional<QString> SoftwareTitleClickStatement(const QString& builtStatement, int column);

} // namespace qm
