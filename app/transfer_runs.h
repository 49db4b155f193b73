#pragma once
// What the export and import commands and the window's File → "Export…" and "Import…" share: the
// rule that import fills an empty catalogue only, and the lines that count what moved. Formats go
// by name ("csv", "json") so that the window need not see the transfer's table descriptions.

#include <QStringList>
#include <functional>

namespace qm {

class TChangeHistory;

// What the window watches of a transfer; the commands leave it empty.
struct TTransferWatch {
    // Told after each row how many rows have moved so far; raising EAbort stops the transfer,
    // which leaves the catalogue as it was.
    std::function<void(qint64 rows)> progress;
    // An import is kept here as the one step "Import".
    TChangeHistory* history = nullptr;
};

// Writes the tables of the catalogue file into `folder`; "SOFTWARE: 40 rows", a line per table.
QStringList ExportCatalogueFile(const QString& catalogueFile, const QString& folder, const QString& format,
                                const TTransferWatch& watch = {});
// Reads the tables from `folder` into the catalogue file in one transaction; a catalogue that
// holds any row raises qm::Exception and stays as it was. The same lines as the export.
QStringList ImportIntoEmptyCatalogue(const QString& catalogueFile, const QString& folder,
                                     const QString& format, const TTransferWatch& watch = {});

} // namespace qm
