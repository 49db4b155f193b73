#include "catalogue/transfer/source_conversion.h"

#include "framework/core/exceptions.h"

namespace qm {

namespace {

// Rows between two progress reports.
constexpr qint64 kProgressStep = 10000;

QString FindName(const QStringList& names, const QString& wanted) {
    for (const QString& name : names)
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return name;
    return {};
}

// For each catalogue column, its position among the source table's columns (-1 when missing).
std::vector<int> ColumnPositions(const QStringList& sourceColumns, const TCatalogueTable& table) {
    std::vector<int> positions;
    for (const TCatalogueColumn& column : table.columns) {
        const QString found = FindName(sourceColumns, column.name);
        positions.push_back(found.isEmpty() ? -1 : static_cast<int>(sourceColumns.indexOf(found)));
    }
    return positions;
}

} // namespace

QString SourceCatalogueProblem(const TTableSource& source) {
    const QStringList tables = source.TableNames();
    for (const TCatalogueTable& table : CatalogueTables()) {
        const QString found = FindName(tables, table.name);
        if (found.isEmpty())
            return QStringLiteral("it has no table %1").arg(table.name);
        const std::vector<int> positions = ColumnPositions(source.ColumnNames(found), table);
        for (size_t i = 0; i < positions.size(); ++i)
            if (positions[i] < 0)
                return QStringLiteral("its table %1 has no column %2").arg(table.name, table.columns[i].name);
    }
    return {};
}

TTableCounts CopySourceCatalogue(const TTableSource& source, TSQLiteConnection& connection,
                                 const TProgress& progress) {
    const QString problem = SourceCatalogueProblem(source);
    if (!problem.isEmpty())
        throw Exception(
            QStringLiteral("The database is not a software catalogue: %1").arg(problem).toStdString());
    const QStringList tables = source.TableNames();
    TTableCounts counts{};
    for (size_t t = 0; t < CatalogueTables().size(); ++t) {
        const TCatalogueTable& table = CatalogueTables()[t];
        const QString sourceTable = FindName(tables, table.name);
        const std::vector<int> positions = ColumnPositions(source.ColumnNames(sourceTable), table);
        const qint64 total = source.RowCount(sourceTable);
        TCatalogueRowWriter writer(connection, table);
        std::vector<QVariant> values(table.columns.size());
        qint64& done = counts[t];
        source.ReadRows(sourceTable, [&](const TSourceRow& row) {
            for (size_t c = 0; c < positions.size(); ++c) {
                QString why;
                const std::optional<QVariant> value =
                    ColumnValue(table.columns[c], row.at(static_cast<size_t>(positions[c])), why);
                if (!value)
                    throw Exception(QStringLiteral("Table %1, row %2 (ID %3): %4")
                                        .arg(table.name)
                                        .arg(done + 1)
                                        .arg(row.at(static_cast<size_t>(positions[0])).toString(), why)
                                        .toStdString());
                values[c] = *value;
            }
            try {
                writer.Write(values);
            } catch (const EDatabaseError& error) {
                throw Exception(QStringLiteral("Table %1: %2")
                                    .arg(table.name, QString::fromUtf8(error.what()))
                                    .toStdString());
            }
            if (++done % kProgressStep == 0 && progress)
                progress(table.name, done, total);
        });
    }
    return counts;
}

} // namespace qm
