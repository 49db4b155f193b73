#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

namespace qm {

// The three name tables a software entry refers to by number; each has its own tab, combo box,
// look-up query and ID pop-up.
enum class TCatalogueTable { ctCD, ctCategory, ctType };

// The fixed statement fragments and messages of one name table.
struct TCatalogueTableTexts {
    const char* wholeTable;       // the tab's unfiltered statement and the name list's statement
    const char* nameFilterPrefix; // followed by the typed name start, "%'"
    const char* orderByID;        // title click on column 0 of the tab's grid
    const char* orderByName;      // title click on column 1
    const char* lookupPrefix;     // name to ID, followed by the exact name and "'"
    const char* idNamePrefix;     // ID to name, followed by the ID in decimal
    const char* caption;          // caption of the ID pop-up
    const char* noRowText;        // pop-up text when no row has the ID or its name is empty
};

const TCatalogueTableTexts& TableTexts(TCatalogueTable table);

// Filter of a table tab by the beginning of Name, as typed in the tab's combo box.
QString NameFilterStatement(TCatalogueTable table, const QString& typed);

// Finds the row whose Name equals the name chosen in a combo box of the Software search.
QString LookupStatement(TCatalogueTable table, const QString& name);

// Finds the row an ID cell of the Software grid refers to.
QString IDNameStatement(TCatalogueTable table, qint64 id);

// Re-sort of a table tab by a click on the title of `column`; none for columns other than ID and Name.
std::optional<QString> TableTitleClickStatement(TCatalogueTable table, int column);

// Which table an ID column of the Software grid refers to (positions 1, 2, 3); none for the others.
std::optional<TCatalogueTable> ReferencedTable(int softwareColumn);

} // namespace qm
