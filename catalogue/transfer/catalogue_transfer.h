#pragma once
// Export and import of the four catalogue tables that lose nothing: CSV (RFC 4180, one UTF-8
// file per table with a header row, NULL a bare empty field, text always quoted) or JSON (one
// document, an array of row objects per table, NULL as null).

#include "catalogue/transfer/catalogue_rows.h"

#include <functional>
#include <optional>

namespace qm {

enum class TTransferFormat { tfCsv, tfJson };

std::optional<TTransferFormat> TransferFormatNamed(const QString& name); // "csv", "json"
// The files a format uses in its folder: TABLE.csv per table, or catalogue.json.
QStringList TransferFileNames(TTransferFormat format);

// Told after each row how many rows have moved so far. What it raises (EAbort when the user
// cancels) stops the transfer as any failure does.
using TTransferProgress = std::function<void(qint64 rows)>;

// Writes the tables of the catalogue on `connection` into `folder`; every file is complete or not
// there. Raises qm::Exception when a file cannot be written.
TTableCounts ExportCatalogue(TSQLiteConnection& connection, const QString& folder, TTransferFormat format,
                             const TTransferProgress& progress = {});

// Reads the tables from `folder` into the empty tables of the catalogue on `connection`. Bad input
// raises qm::Exception naming the file and line; the caller's transaction then undoes what was
// written.
TTableCounts ImportCatalogue(TSQLiteConnection& connection, const QString& folder, TTransferFormat format,
                             const TTransferProgress& progress = {});

// The same for the bytes of one file, for callers that have them in memory; `file` names it in
// messages. ImportCsvTable fills one table from CSV, ImportJsonCatalogue all four from JSON.
qint64 ImportCsvTable(TSQLiteConnection& connection, const TCatalogueTable& table, QByteArray bytes,
                      const QString& file, const TTransferProgress& progress = {});
TTableCounts ImportJsonCatalogue(TSQLiteConnection& connection, const QByteArray& bytes, const QString& file,
                                 const TTransferProgress& progress = {});

// Rows in the four tables of the catalogue on `connection`, in the order of CatalogueTables().
TTableCounts CatalogueRowCounts(TSQLiteConnection& connection);

} // namespace qm
