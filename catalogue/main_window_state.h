#pragma once
// What the main window remembers while it runs, in memory only: the search texts last applied to
// each table and whether the description memo has been typed in since it was last saved. TForm1
// owns one TMainWindowState and hands it to every handler set; the search mask writes the texts,
// the page switch reads them, the memo's key handler sets DescriptionModified.

#include <QString>

namespace qm {

class TQuery;

struct TMainWindowState {
    // Texts of the six mask fields last applied to the Software query.
    QString SavedSearch;
    QString SavedCD;
    QString SavedCategory;
    QString SavedType;
    QString SavedKeywords;
    QString SavedDescription;
    // Text of each table page's combo box last applied to that table.
    QString SavedCDFilter;
    QString SavedCategoryFilter;
    QString SavedTypeFilter;

    bool DescriptionModified = false;
};

// Writes `description` into the Description column of the Software query's current row, clears
// DescriptionModified and posts the row. In an empty result the text starts a new row; with the
// query closed there is nothing to write to and the flag is simply cleared. When the post fails the error
// goes on to the caller and the row stays in edit mode with the new text, so that the navigator's Post can
// try again or its Cancel drop it.
void SaveDescription(TMainWindowState& state, TQuery& software, const QString& description);

} // namespace qm
