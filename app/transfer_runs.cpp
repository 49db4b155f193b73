#include "app/transfer_runs.h"

#include "catalogue/transfer/catalogue_transfer.h"
#include "framework/core/exceptions.h"
#include "framework/data/change_history.h"
#include "framework/data/sqlite_connection.h"

#include <algorithm>
#include <optional>

namespace qm {

namespace {

TTransferFormat Format(const QString& name) {
    const std::optional<TTransferFormat> format = TransferFormatNamed(name);
    if (!format)
        throw Exception(QStringLiteral("the format '%1' is neither csv nor json").arg(name).toStdString());
    return *format;
}

QStringList CountLines(const TTableCounts& counts) {
    QStringList lines;
    for (size_t t = 0; t < counts.size(); ++t)
        lines << QStringLiteral("%1: %2 %3")
                     .arg(CatalogueTables()[t].name)
                     .arg(counts[t])
                     .arg(counts[t] == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
    return lines;
}

} // namespace

QStringList ExportCatalogueFile(const QString& catalogueFile, const QString& folder, const QString& format,
                                const TTransferWatch& watch) {
    TSQLiteConnection connection(catalogueFile, TOpenMode::omReadOnly);
    return CountLines(ExportCatalogue(connection, folder, Format(format), watch.progress));
}

QStringList ImportIntoEmptyCatalogue(const QString& catalogueFile, const QString& folder,
                                     const QString& format, const TTransferWatch& watch) {
    TSQLiteConnection connection(catalogueFile, TOpenMode::omReadWrite);
    const TTableCounts present = CatalogueRowCounts(connection);
    if (std::any_of(present.begin(), present.end(), [](qint64 rows) { return rows > 0; }))
        throw Exception(QStringLiteral("the catalogue '%1' is not empty; import fills an empty one only")
                            .arg(catalogueFile)
                            .toStdString());
    const QString step = QStringLiteral("Import");
    std::optional<TRecordedChange> change;
    if (watch.history)
        change.emplace(connection, *watch.history);
    // A record that outgrows what the history keeps is given up at once rather than held to the end.
    bool tooLarge = false;
    const auto progress = [&](qint64 rows) {
        if (change && change->Size() > static_cast<qint64>(TChangeHistory::kMaximumBytes)) {
            change.reset();
            tooLarge = true;
        }
        if (watch.progress)
            watch.progress(rows);
    };
    TTableCounts counts{};
    InTransaction(connection,
                  [&] { counts = ImportCatalogue(connection, folder, Format(format), progress); });
    if (change)
        watch.history->Record(step, change->Changeset());
    else if (tooLarge)
        watch.history->Forget(step);
    return CountLines(counts);
}

} // namespace qm
