#include "catalogue/report/report_model.h"

#include "framework/core/exceptions.h"
#include "framework/data/sqlite_connection.h"

#include <QHash>
#include <algorithm>

namespace qm {

namespace {

using TNames = std::vector<std::pair<qint64, QString>>;

// ID and name of every row of a name table, in the order its names sort.
TNames NamesOf(TSQLiteConnection& connection, const QString& table) {
    TSQLiteStatement statement =
        connection.Prepare(QStringLiteral("SELECT ID, Name FROM \"%1\" ORDER BY Name, ID").arg(table));
    TNames names;
    while (statement.Step())
        names.emplace_back(statement.ColumnInt64(0), statement.Column(1).toString());
    return names;
}

// The name an ID stands for; an ID that names no row says so rather than print as a bare number.
QString NameOf(const TNames& names, const std::optional<qint64>& id, const QString& noun) {
    if (!id)
        return {};
    const auto found =
        std::find_if(names.begin(), names.end(), [&](const auto& named) { return named.first == *id; });
    return found != names.end() ? found->second : QStringLiteral("%1 (no such %2)").arg(*id).arg(noun);
}

std::optional<qint64> OptionalId(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toLongLong();
}

int ColumnNamed(const TSQLiteStatement& statement, const QString& name) {
    for (int column = 0; column < statement.ColumnCount(); ++column)
        if (statement.ColumnName(column).compare(name, Qt::CaseInsensitive) == 0)
            return column;
    throw Exception(QStringLiteral("The report's statement gives no column '%1'").arg(name).toStdString());
}

// How the rows fall under the rows of one name table: entries per ID and without one.
template <class T> struct TTally {
    QHash<qint64, T> byId;
    T withoutId{};
};

// Every named row in name order (also those no entry uses), then IDs that name no row in
// ascending order, then the entries without an ID; `visit(title, id, value)` sees each.
template <class T, class F>
void InNameOrder(const TNames& names, TTally<T>& tally, const QString& noun, const QString& none, F visit) {
    for (const auto& [id, name] : names)
        visit(name, tally.byId.take(id));
    std::vector<qint64> unknown(tally.byId.keyBegin(), tally.byId.keyEnd());
    std::sort(unknown.begin(), unknown.end());
    for (const qint64 id : unknown)
        visit(NameOf(names, id, noun), tally.byId.value(id));
    if (tally.withoutId != T{})
        visit(none, tally.withoutId);
}

std::vector<TNamedCount> Counted(const TNames& names, TTally<qint64> tally, const QString& noun,
                                 const QString& none) {
    std::vector<TNamedCount> counts;
    InNameOrder(names, tally, noun, none, [&](const QString& name, qint64 entries) {
        counts.push_back({name, entries, {}, {}});
    });
    return counts;
}

bool HasTable(TSQLiteConnection& connection, const QString& table) {
    TSQLiteStatement statement =
        connection.Prepare(QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?"));
    statement.Bind(1, table);
    return statement.Step();
}

// Files and bytes a scan recorded, per CD ID.
QHash<qint64, std::pair<qint64, qint64>> ScannedFiles(TSQLiteConnection& connection) {
    TSQLiteStatement statement =
        connection.Prepare(QStringLiteral("SELECT CDID, COUNT(*), SUM(Size) FROM FILES GROUP BY CDID"));
    QHash<qint64, std::pair<qint64, qint64>> files;
    while (statement.Step())
        files.insert(statement.ColumnInt64(0), {statement.ColumnInt64(1), statement.ColumnInt64(2)});
    return files;
}

const QString kCD = QStringLiteral("CD");
const QString kCategory = QStringLiteral("category");
const QString kType = QStringLiteral("type");

} // namespace

TReportModel::TReportModel(TSQLiteConnection& connection, const QString& softwareStatement)
    : connection_(connection) {
    const TNames cds = NamesOf(connection, QStringLiteral("CD"));
    categories_ = NamesOf(connection, QStringLiteral("Category"));
    types_ = NamesOf(connection, QStringLiteral("Type"));

    TTally<std::vector<qint64>> groups;
    TTally<qint64> perCD;
    TTally<qint64> perCategory;
    TTally<qint64> perType;
    const auto count = [](TTally<qint64>& tally, const std::optional<qint64>& id) {
        ++(id ? tally.byId[*id] : tally.withoutId);
    };
    TSQLiteStatement rows = connection.Prepare(softwareStatement);
    const int idColumn = ColumnNamed(rows, QStringLiteral("ID"));
    const int cdColumn = ColumnNamed(rows, QStringLiteral("CDID"));
    const int categoryColumn = ColumnNamed(rows, QStringLiteral("CategoryID"));
    const int typeColumn = ColumnNamed(rows, QStringLiteral("TypeID"));
    const int descriptionColumn = ColumnNamed(rows, QStringLiteral("Description"));
    const int pathColumn = ColumnNamed(rows, QStringLiteral("Path"));
    while (rows.Step()) {
        ++totals_.entries;
        const std::optional<qint64> cd = OptionalId(rows.Column(cdColumn));
        (cd ? groups.byId[*cd] : groups.withoutId).push_back(rows.ColumnInt64(idColumn));
        count(perCD, cd);
        count(perCategory, OptionalId(rows.Column(categoryColumn)));
        count(perType, OptionalId(rows.Column(typeColumn)));
        if (rows.Column(pathColumn).toString().trimmed().isEmpty())
            ++totals_.withoutPicture;
        if (rows.Column(descriptionColumn).toString().trimmed().isEmpty())
            ++totals_.withoutDescription;
    }

    InNameOrder(cds, groups, kCD, QStringLiteral("No CD"),
                [&](const QString& title, std::vector<qint64> ids) {
                    if (!ids.empty())
                        groups_.push_back({title, std::move(ids)});
                });
    totals_.discsScanned = HasTable(connection, QStringLiteral("FILES"));
    QHash<qint64, std::pair<qint64, qint64>> files;
    if (totals_.discsScanned)
        files = ScannedFiles(connection);
    InNameOrder(cds, perCD, kCD, QStringLiteral("No CD"), [&](const QString& name, qint64 entries) {
        totals_.perCD.push_back({name, entries, {}, {}});
    });
    // The CD totals follow the order of `cds` and then of the unknown IDs, so the scanned files
    // are matched by name order again rather than carried through the tally.
    for (size_t i = 0; i < cds.size() && totals_.discsScanned; ++i) {
        const auto scanned = files.value(cds[i].first, {0, 0});
        totals_.perCD[i].files = scanned.first;
        totals_.perCD[i].bytes = scanned.second;
    }
    totals_.perCategory = Counted(categories_, perCategory, kCategory, QStringLiteral("No category"));
    totals_.perType = Counted(types_, perType, kType, QStringLiteral("No type"));

    entryStatement_ = std::make_unique<TSQLiteStatement>(connection_.Prepare(QStringLiteral(
        "SELECT Name, CategoryID, TypeID, Keywords, Description, Path FROM SOFTWARE WHERE ID = ?")));
}

TReportModel::~TReportModel() = default;

TReportEntry TReportModel::Entry(qint64 id) {
    TSQLiteStatement& statement = *entryStatement_;
    statement.Reset();
    statement.BindInt64(1, id);
    TReportEntry entry;
    entry.id = id;
    if (statement.Step()) {
        entry.name = statement.Column(0).toString();
        entry.category = NameOf(categories_, OptionalId(statement.Column(1)), kCategory);
        entry.type = NameOf(types_, OptionalId(statement.Column(2)), kType);
        entry.keywords = statement.Column(3).toString();
        entry.description = statement.Column(4).toString();
        entry.path = statement.Column(5).toString();
    }
    statement.Reset();
    return entry;
}

} // namespace qm
