#pragma once
// The Software statements the search mask and the title clicks build, read back into their
// conditions and order, and the statement that yields their keys by the sort keys the catalogue
// keeps beside Name and Keywords (catalogue/software_keys.h) instead of matching and sorting every
// row with the Unicode-aware LIKE and collation.

#include <QString>
#include <optional>
#include <vector>

namespace qm {

// One condition of a Software statement: `column LIKE 'pattern'` or `column = number`.
struct TSoftwareCondition {
    QString column;  // as the table names it: Name, Keywords, Description, CDID, CategoryID, TypeID
    QString pattern; // of a LIKE, as the user typed it
    std::optional<qint64> number;
};

struct TSoftwareStatement {
    std::vector<TSoftwareCondition> conditions; // all joined by AND
    QString order;                              // the column of ORDER BY … ASC, ID when there is none
};

// The parts of "SELECT * FROM SOFTWARE [WHERE c [AND c]…] [ORDER BY column ASC]" with the
// conditions and orders the program builds; none for any other statement.
std::optional<TSoftwareStatement> ParseSoftwareStatement(const QString& sql);

// The statement yielding the keys of `statement`'s rows in its order, through the sort-key table:
// the Name and Keywords conditions become qm_key_like on the keys, an order by Name or Keywords an
// index walk, ties in key order. None when the statement neither matches nor sorts a keyed text.
std::optional<QString> SoftwareKeysStatement(const TSoftwareStatement& statement);

} // namespace qm
