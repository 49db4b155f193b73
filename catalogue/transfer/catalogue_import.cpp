#include "catalogue/db/software_keys.h"
#include "catalogue/transfer/catalogue_transfer.h"
#include "catalogue/transfer/csv.h"
#include "discs/disc_catalogue.h"
#include "framework/core/exceptions.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <charconv>
#include <map>

namespace qm {

namespace {

[[noreturn]] void Fail(const QString& file, int line, const QString& problem) {
    throw Exception(QStringLiteral("%1, line %2: %3").arg(file).arg(line).arg(problem).toStdString());
}

QByteArray ReadWhole(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("The file '%1' cannot be read: %2")
                            .arg(fileName, file.errorString())
                            .toStdString());
    return file.readAll();
}

int FindColumn(const TCatalogueTable& table, const QString& name) {
    for (size_t c = 0; c < table.columns.size(); ++c)
        if (table.columns[c].name.compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<int>(c);
    return -1;
}

// Checks one row's values against the table and writes it; problems name the file and line.
class TCheckedWriter {
public:
    TCheckedWriter(TSQLiteConnection& connection, const TCatalogueTable& table, const QString& file)
        : table_(table), file_(file), writer_(connection, table), values_(table.columns.size()) {}

    void Set(size_t column, const QVariant& value, int line) {
        QString problem;
        const std::optional<QVariant> checked = ColumnValue(table_.columns[column], value, problem);
        if (!checked)
            Fail(file_, line, problem);
        values_[column] = *checked;
    }

    void Write(int line) {
        try {
            writer_.Write(values_);
        } catch (const EDatabaseError& error) {
            Fail(file_, line, QString::fromUtf8(error.what()));
        }
    }

private:
    const TCatalogueTable& table_;
    const QString& file_;
    TCatalogueRowWriter writer_;
    std::vector<QVariant> values_;
};

// For each column of the table, its field in the CSV records.
std::vector<size_t> CsvColumns(const TCsvReader& header, const TCatalogueTable& table, const QString& file) {
    std::vector<int> fieldOf(table.columns.size(), -1);
    for (size_t f = 0; f < header.Fields().size(); ++f) {
        const std::string_view utf8 = header.Fields()[f].utf8;
        const QString name = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
        const int column = FindColumn(table, name);
        if (column < 0)
            Fail(file, header.Line(),
                 QStringLiteral("the table %1 has no column '%2'").arg(table.name, name));
        if (fieldOf[static_cast<size_t>(column)] >= 0)
            Fail(file, header.Line(),
                 QStringLiteral("the column %1 appears twice")
                     .arg(table.columns[static_cast<size_t>(column)].name));
        fieldOf[static_cast<size_t>(column)] = static_cast<int>(f);
    }
    std::vector<size_t> fields;
    for (size_t c = 0; c < table.columns.size(); ++c) {
        if (fieldOf[c] < 0)
            Fail(file, header.Line(), QStringLiteral("the column %1 is missing").arg(table.columns[c].name));
        fields.push_back(static_cast<size_t>(fieldOf[c]));
    }
    return fields;
}

// A whole number written plainly, as export writes them, read without leaving the bytes.
std::optional<qint64> PlainWholeNumber(std::string_view text) {
    qint64 value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Binds one field to its column, text straight from the reader's bytes. A bare empty field is
// NULL; a number column takes what reads as a whole number (" 7" and "+7" too), and refuses
// anything else naming the column.
void BindCsvField(TCatalogueRowWriter& writer, size_t c, const TCatalogueColumn& column,
                  const TCsvField& field, const QString& file, int line) {
    const bool null = !field.quoted && field.utf8.empty();
    if (null && column.kind != TColumnKind::ckKey)
        return writer.BindNull(c);
    if (column.kind == TColumnKind::ckText)
        return writer.BindText(c, field.utf8);
    if (const std::optional<qint64> number = PlainWholeNumber(field.utf8))
        return writer.BindInteger(c, *number);
    QVariant value;
    if (!null) {
        const QString text = QString::fromUtf8(field.utf8.data(), static_cast<qsizetype>(field.utf8.size()));
        bool number = false;
        const qlonglong whole = text.toLongLong(&number);
        value = number ? QVariant(whole) : QVariant(text);
    }
    QString problem;
    const std::optional<QVariant> checked = ColumnValue(column, value, problem);
    if (!checked)
        Fail(file, line, problem);
    writer.BindInteger(c, checked->toLongLong());
}

// The line on which each row object of each table's array starts, found by a scan that follows
// strings and nesting only: the document parser itself does not tell positions.
std::map<QString, std::vector<int>> JsonRowLines(const QByteArray& bytes) {
    std::map<QString, std::vector<int>> lines;
    int depth = 0;
    int line = 1;
    qsizetype stringStart = -1;
    QString lastString;
    QString table;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\n')
            ++line;
        if (stringStart >= 0) {
            if (c == '\\')
                ++i;
            else if (c == '"') {
                lastString = QString::fromUtf8(bytes.mid(stringStart, i - stringStart));
                stringStart = -1;
            }
            continue;
        }
        if (c == '"')
            stringStart = i + 1;
        else if (c == '[' || c == '{') {
            if (c == '[' && depth == 1)
                table = lastString;
            if (c == '{' && depth == 2)
                lines[table].push_back(line);
            ++depth;
        } else if (c == ']' || c == '}')
            --depth;
    }
    return lines;
}

int LineAt(const QByteArray& bytes, qsizetype offset) {
    return 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + qMin(offset, bytes.size()), '\n'));
}

QString FindKey(const QJsonObject& object, const QString& name) {
    for (auto it = object.begin(); it != object.end(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.key();
    return {};
}

// `before` rows of other tables came first; the progress counts on from them.
qint64 ImportJsonTable(TSQLiteConnection& connection, const TCatalogueTable& table, const QJsonArray& rows,
                       const std::vector<int>& lines, const QString& file, const TTransferProgress& progress,
                       qint64 before) {
    TCheckedWriter writer(connection, table, file);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const int line = static_cast<size_t>(r) < lines.size() ? lines[static_cast<size_t>(r)] : 1;
        if (!rows[r].isObject())
            Fail(file, line, QStringLiteral("a row of table %1 is not an object").arg(table.name));
        const QJsonObject row = rows[r].toObject();
        for (auto it = row.begin(); it != row.end(); ++it)
            if (FindColumn(table, it.key()) < 0)
                Fail(file, line, QStringLiteral("the table %1 has no column '%2'").arg(table.name, it.key()));
        for (size_t c = 0; c < table.columns.size(); ++c) {
            const QString key = FindKey(row, table.columns[c].name);
            if (key.isEmpty())
                Fail(file, line, QStringLiteral("the column %1 is missing").arg(table.columns[c].name));
            const QJsonValue value = row.value(key);
            if (value.isArray() || value.isObject())
                Fail(file, line,
                     QStringLiteral("the column %1 holds a list or an object").arg(table.columns[c].name));
            if (value.isString() && table.columns[c].kind != TColumnKind::ckText)
                Fail(file, line,
                     QStringLiteral("%1 holds the text \"%2\", not a whole number")
                         .arg(table.columns[c].name, value.toString()));
            writer.Set(c, value.toVariant(), line);
        }
        writer.Write(line);
        if (progress)
            progress(before + r + 1);
    }
    return rows.size();
}

} // namespace

qint64 ImportCsvTable(TSQLiteConnection& connection, const TCatalogueTable& table, QByteArray bytes,
                      const QString& file, const TTransferProgress& progress) {
    TCsvReader reader(std::move(bytes), file);
    if (!reader.Next())
        Fail(file, 1, QStringLiteral("the file is empty; it needs at least the header row"));
    const std::vector<size_t> fields = CsvColumns(reader, table, file);
    const size_t width = reader.Fields().size();
    TCatalogueRowWriter writer(connection, table);
    qint64 rows = 0;
    while (reader.Next()) {
        const std::vector<TCsvField>& record = reader.Fields();
        if (record.size() != width)
            Fail(file, reader.Line(),
                 QStringLiteral("%1 fields where the header has %2").arg(record.size()).arg(width));
        for (size_t c = 0; c < fields.size(); ++c)
            BindCsvField(writer, c, table.columns[c], record[fields[c]], file, reader.Line());
        try {
            writer.Insert();
        } catch (const EDatabaseError& error) {
            Fail(file, reader.Line(), QString::fromUtf8(error.what()));
        }
        ++rows;
        if (progress)
            progress(rows);
    }
    return rows;
}

namespace {

// Qt's JSON parser drops U+FEFF at the start of a string as if it were a byte order mark; written
// as an escape it is kept. Outside strings the raw bytes are no JSON either way, and a mark that
// opens the file is the file's own.
QByteArray EscapeByteOrderMarks(const QByteArray& bytes) {
    static const QByteArray kMark("\xEF\xBB\xBF");
    const qsizetype from = bytes.startsWith(kMark) ? kMark.size() : 0;
    QByteArray rest = bytes.mid(from);
    return bytes.left(from) + rest.replace(kMark, QByteArrayLiteral("\\ufeff"));
}

} // namespace

TTableCounts ImportJsonCatalogue(TSQLiteConnection& connection, const QByteArray& bytes, const QString& file,
                                 const TTransferProgress& progress) {
    QJsonParseError error;
    const QByteArray escaped = EscapeByteOrderMarks(bytes);
    const QJsonDocument document = QJsonDocument::fromJson(escaped, &error);
    if (error.error != QJsonParseError::NoError)
        Fail(file, LineAt(escaped, error.offset), error.errorString());
    if (!document.isObject())
        Fail(file, 1, QStringLiteral("the document is not an object of tables"));
    const QJsonObject root = document.object();
    for (auto it = root.begin(); it != root.end(); ++it) {
        const auto named = [&](const TCatalogueTable& t) {
            return t.name.compare(it.key(), Qt::CaseInsensitive) == 0;
        };
        const bool known = std::any_of(CatalogueTables().begin(), CatalogueTables().end(), named) ||
                           std::any_of(DiscTables().begin(), DiscTables().end(), named);
        if (!known)
            Fail(file, 1, QStringLiteral("the catalogue has no table '%1'").arg(it.key()));
    }
    const std::map<QString, std::vector<int>> lines = JsonRowLines(bytes);
    TTableCounts counts{};
    qint64 rows = 0;
    for (size_t t = 0; t < CatalogueTables().size(); ++t) {
        const TCatalogueTable& table = CatalogueTables()[t];
        const QString key = FindKey(root, table.name);
        if (key.isEmpty() || !root.value(key).isArray())
            Fail(file, 1, QStringLiteral("the table %1 is missing").arg(table.name));
        const auto found = lines.find(key);
        counts[t] =
            ImportJsonTable(connection, table, root.value(key).toArray(),
                            found == lines.end() ? std::vector<int>{} : found->second, file, progress, rows);
        rows += counts[t];
    }
    for (const TCatalogueTable& table : DiscTables()) {
        const QString key = FindKey(root, table.name);
        if (key.isEmpty())
            continue;
        if (!root.value(key).isArray())
            Fail(file, 1, QStringLiteral("the table %1 is not a list of rows").arg(table.name));
        CreateDiscTables(connection);
        const auto found = lines.find(key);
        rows +=
            ImportJsonTable(connection, table, root.value(key).toArray(),
                            found == lines.end() ? std::vector<int>{} : found->second, file, progress, rows);
    }
    return counts;
}

TTableCounts ImportCatalogue(TSQLiteConnection& connection, const QString& folder, TTransferFormat format,
                             const TTransferProgress& progress) {
    const QDir dir(folder);
    const QStringList files = TransferFileNames(format);
    for (const QString& file : files)
        if (!QFile::exists(dir.filePath(file)))
            throw Exception(QStringLiteral("The file '%1' is missing").arg(dir.filePath(file)).toStdString());
    // The sort keys are made once from all rows: a trigger run per row would also make the engine
    // keep a statement journal of every page each row touches.
    DropSoftwareKeys(connection);
    TTableCounts counts{};
    // The CSV files are read one after the other; their rows count on from the files before.
    qint64 before = 0;
    const TTransferProgress counted = [&](qint64 rows) {
        if (progress)
            progress(before + rows);
    };
    if (format == TTransferFormat::tfJson)
        counts = ImportJsonCatalogue(connection, ReadWhole(dir.filePath(files.front())),
                                     dir.filePath(files.front()), counted);
    else
        for (size_t t = 0; t < CatalogueTables().size(); ++t) {
            counts[t] = ImportCsvTable(connection, CatalogueTables()[t],
                                       ReadWhole(dir.filePath(files[static_cast<int>(t)])),
                                       dir.filePath(files[static_cast<int>(t)]), counted);
            before += counts[t];
        }
    // The disc record's files are there only when the exported catalogue had its tables.
    if (format == TTransferFormat::tfCsv)
        for (const TCatalogueTable& table : DiscTables()) {
            const QString file = dir.filePath(table.name + QStringLiteral(".csv"));
            if (!QFile::exists(file))
                continue;
            CreateDiscTables(connection);
            before += ImportCsvTable(connection, table, ReadWhole(file), file, counted);
        }
    RefoldPaths(connection);
    CreateSoftwareKeys(connection);
    return counts;
}

} // namespace qm
