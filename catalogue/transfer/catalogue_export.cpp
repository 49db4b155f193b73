#include "catalogue/transfer/catalogue_transfer.h"
#include "catalogue/transfer/csv.h"
#include "framework/core/exceptions.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QSaveFile>
#include <QStringDecoder>

namespace qm {

namespace {

// The rows read so far over all tables, told to the progress.
class TRowsRead {
public:
    explicit TRowsRead(const TTransferProgress& progress) : progress_(progress) {}
    void Add() {
        ++rows_;
        if (progress_)
            progress_(rows_);
    }

private:
    const TTransferProgress& progress_;
    qint64 rows_ = 0;
};

// The rows of one table in ID order, one vector of values per row.
template <typename OnRow>
qint64 ForEachRow(TSQLiteConnection& connection, const TCatalogueTable& table, TRowsRead& read,
                  OnRow&& onRow) {
    // Texts come as the bytes stored: a text another tool wrote need not be valid UTF-8, and a
    // decoded one would come back with U+FFFD in place of what it held.
    QStringList names;
    for (const TCatalogueColumn& column : table.columns)
        names << (column.kind == TColumnKind::ckText
                      ? QStringLiteral("CAST(%1 AS BLOB)").arg(QuoteIdentifier(column.name))
                      : QuoteIdentifier(column.name));
    // The disc record's tables are keyed by their first column, the four tables by ID.
    TSQLiteStatement select = connection.Prepare(
        QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
            .arg(names.join(u','), QuoteIdentifier(table.name), QuoteIdentifier(table.columns.front().name)));
    std::vector<QVariant> values(table.columns.size());
    qint64 rows = 0;
    while (select.Step()) {
        for (size_t c = 0; c < values.size(); ++c)
            values[c] = select.Column(static_cast<int>(c));
        onRow(values);
        ++rows;
        read.Add();
    }
    return rows;
}

bool IsNumber(const QVariant& value) {
    return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double;
}

// The bytes of a value in the file: a number's digits, a text's own bytes. Both formats are UTF-8,
// and the import refuses other bytes, so a text stored as other bytes (by another tool) refuses
// the export, naming where it is, instead of coming back with U+FFFD in their place.
QByteArray ValueBytes(const TCatalogueTable& table, size_t column, const std::vector<QVariant>& row) {
    const QVariant& value = row[column];
    if (value.typeId() != QMetaType::QByteArray)
        return value.toString().toUtf8();
    const QByteArray bytes = value.toByteArray();
    if (!QByteArrayView(bytes).isValidUtf8())
        throw Exception(QStringLiteral("Table %1, row with ID %2, column %3: the text is not valid UTF-8; "
                                       "the export writes UTF-8 only, so correct this text first")
                            .arg(table.name, row.front().toString(), table.columns[column].name)
                            .toStdString());
    return bytes;
}

void SaveWhole(const QString& fileName, const QByteArray& bytes) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Exception(QStringLiteral("The file '%1' cannot be written: %2")
                            .arg(fileName, file.errorString())
                            .toStdString());
}

QByteArray CsvTable(TSQLiteConnection& connection, const TCatalogueTable& table, TRowsRead& read,
                    qint64& rows) {
    QByteArray out;
    for (size_t c = 0; c < table.columns.size(); ++c)
        AppendCsvField(out, table.columns[c].name.toUtf8(), false, c == 0);
    out += "\r\n";
    rows = ForEachRow(connection, table, read, [&](const std::vector<QVariant>& values) {
        for (size_t c = 0; c < values.size(); ++c) {
            const QVariant& value = values[c];
            AppendCsvField(out, value.isNull() ? QByteArray() : ValueBytes(table, c, values),
                           !value.isNull() && !IsNumber(value), c == 0);
        }
        out += "\r\n";
    });
    return out;
}

QByteArray JsonString(const QString& text) {
    // QJsonDocument writes a lone string as an array; take the element back out.
    const QByteArray array = QJsonDocument(QJsonArray{QJsonValue(text)}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray JsonValue(const TCatalogueTable& table, size_t column, const std::vector<QVariant>& row) {
    const QVariant& value = row[column];
    if (value.isNull())
        return "null";
    if (IsNumber(value))
        return value.toString().toUtf8();
    // Every character, a leading U+FEFF too.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return JsonString(utf8(ValueBytes(table, column, row)));
}

// The four tables, then those of the disc record that the catalogue has.
std::vector<const TCatalogueTable*> ExportedTables(TSQLiteConnection& connection) {
    std::vector<const TCatalogueTable*> tables;
    for (const TCatalogueTable& table : CatalogueTables())
        tables.push_back(&table);
    TSQLiteStatement exists =
        connection.Prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    for (const TCatalogueTable& table : DiscTables()) {
        exists.Bind(1, table.name);
        if (exists.Step())
            tables.push_back(&table);
        exists.Reset();
    }
    return tables;
}

// One row object per line, keys in column order, so that a reader can be pointed at a line.
QByteArray JsonTables(TSQLiteConnection& connection, TRowsRead& read, TTableCounts& counts) {
    QByteArray out = "{\n";
    const std::vector<const TCatalogueTable*> tables = ExportedTables(connection);
    for (size_t t = 0; t < tables.size(); ++t) {
        const TCatalogueTable& table = *tables[t];
        out += "  " + JsonString(table.name) + ": [";
        bool first = true;
        qint64 rows = ForEachRow(connection, table, read, [&](const std::vector<QVariant>& values) {
            out += first ? "\n    {" : ",\n    {";
            first = false;
            for (size_t c = 0; c < values.size(); ++c)
                out +=
                    (c ? ", " : "") + JsonString(table.columns[c].name) + ": " + JsonValue(table, c, values);
            out += '}';
        });
        if (t < counts.size())
            counts[t] = rows;
        out += first ? "]" : "\n  ]";
        out += t + 1 < tables.size() ? ",\n" : "\n";
    }
    return out + "}\n";
}

} // namespace

std::optional<TTransferFormat> TransferFormatNamed(const QString& name) {
    if (name == QLatin1String("csv"))
        return TTransferFormat::tfCsv;
    if (name == QLatin1String("json"))
        return TTransferFormat::tfJson;
    return std::nullopt;
}

QStringList TransferFileNames(TTransferFormat format) {
    if (format == TTransferFormat::tfJson)
        return {QStringLiteral("catalogue.json")};
    QStringList names;
    for (const TCatalogueTable& table : CatalogueTables())
        names << table.name + QStringLiteral(".csv");
    return names;
}

TTableCounts ExportCatalogue(TSQLiteConnection& connection, const QString& folder, TTransferFormat format,
                             const TTransferProgress& progress) {
    if (!QDir().mkpath(folder))
        throw Exception(QStringLiteral("The folder '%1' cannot be made").arg(folder).toStdString());
    const QDir dir(folder);
    const QStringList files = TransferFileNames(format);
    TTableCounts counts{};
    TRowsRead read(progress);
    // One read transaction: the files show the catalogue at one moment.
    connection.Execute(QStringLiteral("BEGIN"));
    try {
        if (format == TTransferFormat::tfJson) {
            SaveWhole(dir.filePath(files.front()), JsonTables(connection, read, counts));
        } else {
            // Every table is made before the first is written: a value that refuses the export
            // leaves no files of half a catalogue.
            const std::vector<const TCatalogueTable*> tables = ExportedTables(connection);
            std::vector<QByteArray> contents;
            for (size_t t = 0; t < tables.size(); ++t) {
                qint64 rows = 0;
                contents.push_back(CsvTable(connection, *tables[t], read, rows));
                if (t < counts.size())
                    counts[t] = rows;
            }
            for (size_t t = 0; t < tables.size(); ++t)
                SaveWhole(dir.filePath(tables[t]->name + QStringLiteral(".csv")), contents[t]);
        }
    } catch (...) {
        connection.Execute(QStringLiteral("ROLLBACK"));
        throw;
    }
    connection.Execute(QStringLiteral("COMMIT"));
    return counts;
}

TTableCounts CatalogueRowCounts(TSQLiteConnection& connection) {
    TTableCounts counts{};
    for (size_t t = 0; t < CatalogueTables().size(); ++t) {
        TSQLiteStatement count = connection.Prepare(
            QStringLiteral("SELECT COUNT(*) FROM %1").arg(QuoteIdentifier(CatalogueTables()[t].name)));
        count.Step();
        counts[t] = count.ColumnInt64(0);
    }
    return counts;
}

} // namespace qm
