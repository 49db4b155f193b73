#include "catalogue/transfer/catalogue_rows.h"

#include "catalogue/db/catalogue_schema.h"
#include "framework/core/exceptions.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace qm {

namespace {

std::optional<qint64> WholeNumber(const QVariant& value) {
    const int type = value.typeId();
    if (type == QMetaType::Double || type == QMetaType::Float) {
        const double number = value.toDouble();
        if (std::isfinite(number) && number == std::trunc(number) && std::fabs(number) < 9.0e15)
            return static_cast<qint64>(number);
        return std::nullopt;
    }
    // A text is no number even when it reads like one: the reader of the file decides that.
    if (type == QMetaType::QString || type == QMetaType::QByteArray)
        return std::nullopt;
    bool number = false;
    const qlonglong whole = value.toLongLong(&number);
    return number ? std::optional<qint64>(whole) : std::nullopt;
}

QString ShortText(const QVariant& value) {
    const QString text = value.toString();
    return text.size() > 40 ? text.left(40) + QStringLiteral("...") : text;
}

} // namespace

const std::array<TCatalogueTable, kCatalogueTableCount>& CatalogueTables() {
    using K = TColumnKind;
    static const std::array<TCatalogueTable, kCatalogueTableCount> tables{{
        {QStringLiteral("CD"), {{QStringLiteral("ID"), K::ckKey}, {QStringLiteral("Name"), K::ckText}}},
        {QStringLiteral("Category"), {{QStringLiteral("ID"), K::ckKey}, {QStringLiteral("Name"), K::ckText}}},
        {QStringLiteral("Type"), {{QStringLiteral("ID"), K::ckKey}, {QStringLiteral("Name"), K::ckText}}},
        {QStringLiteral("SOFTWARE"),
         {{QStringLiteral("ID"), K::ckKey},
          {QStringLiteral("Name"), K::ckText},
          {QStringLiteral("CDID"), K::ckInteger},
          {QStringLiteral("CategoryID"), K::ckInteger},
          {QStringLiteral("TypeID"), K::ckInteger},
          {QStringLiteral("Keywords"), K::ckText},
          {QStringLiteral("Description"), K::ckText},
          {QStringLiteral("Path"), K::ckText}}},
    }};
    return tables;
}

const std::array<TCatalogueTable, kDiscTableCount>& DiscTables() {
    using K = TColumnKind;
    static const std::array<TCatalogueTable, kDiscTableCount> tables{{
        {QStringLiteral("DISCS"),
         {{QStringLiteral("CDID"), K::ckKey},
          {QStringLiteral("Label"), K::ckText},
          {QStringLiteral("Source"), K::ckText},
          {QStringLiteral("Files"), K::ckInteger},
          {QStringLiteral("Bytes"), K::ckInteger},
          {QStringLiteral("Scanned"), K::ckText}}},
        {QStringLiteral("FILES"),
         {{QStringLiteral("ID"), K::ckKey},
          {QStringLiteral("CDID"), K::ckInteger},
          {QStringLiteral("Path"), K::ckText},
          {QStringLiteral("Size"), K::ckInteger},
          {QStringLiteral("Modified"), K::ckText},
          {QStringLiteral("Hash"), K::ckText}}},
    }};
    return tables;
}

std::optional<QVariant> ColumnValue(const TCatalogueColumn& column, const QVariant& value, QString& problem) {
    if (column.kind == TColumnKind::ckText) {
        if (value.isNull())
            return QVariant();
        if (value.typeId() == QMetaType::QDateTime)
            return QVariant(value.toDateTime().toString(Qt::ISODate));
        return QVariant(value.toString());
    }
    if (value.isNull()) {
        if (column.kind == TColumnKind::ckKey) {
            problem = QStringLiteral("%1 is empty").arg(column.name);
            return std::nullopt;
        }
        return QVariant();
    }
    if (const std::optional<qint64> number = WholeNumber(value))
        return QVariant(static_cast<qlonglong>(*number));
    problem = QStringLiteral("%1 holds '%2', which is not a whole number").arg(column.name, ShortText(value));
    return std::nullopt;
}

TCatalogueRowWriter::TCatalogueRowWriter(TSQLiteConnection& connection, const TCatalogueTable& table)
    : table_(table), insert_([&] {
          QStringList names;
          QStringList parameters;
          for (const TCatalogueColumn& column : table.columns) {
              names << QuoteIdentifier(column.name);
              parameters << QStringLiteral("?");
          }
          return connection.Prepare(
              QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(QuoteIdentifier(table.name), names.join(u','), parameters.join(u',')));
      }()) {}

void TCatalogueRowWriter::Write(const std::vector<QVariant>& values) {
    id_ = values.front().toLongLong();
    for (size_t i = 0; i < values.size(); ++i)
        insert_.Bind(static_cast<int>(i) + 1, values[i]);
    Insert();
}

void TCatalogueRowWriter::BindNull(size_t column) {
    insert_.BindNull(static_cast<int>(column) + 1);
}

void TCatalogueRowWriter::BindInteger(size_t column, qint64 value) {
    if (column == 0)
        id_ = value;
    insert_.BindInt64(static_cast<int>(column) + 1, value);
}

void TCatalogueRowWriter::BindText(size_t column, std::string_view utf8) {
    insert_.BindTextInPlace(static_cast<int>(column) + 1, utf8);
}

void TCatalogueRowWriter::Insert() {
    try {
        insert_.Step();
    } catch (const EDatabaseError& error) {
        insert_.Reset();
        if (QString::fromUtf8(error.what()).contains(QLatin1String("UNIQUE")))
            throw EDatabaseError(QStringLiteral("the ID %1 appears twice in table %2")
                                     .arg(id_)
                                     .arg(table_.name)
                                     .toStdString());
        throw;
    }
    // Also lets go of text bound in place.
    insert_.Reset();
}

std::unique_ptr<TSQLiteConnection> StartNewCatalogue(const QString& fileName) {
    if (QFileInfo::exists(fileName))
        throw Exception(QStringLiteral("The file '%1' is in the way").arg(fileName).toStdString());
    auto connection = std::make_unique<TSQLiteConnection>(fileName, TOpenMode::omCreate);
    connection->Execute(QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF"));
    connection->Execute(QStringLiteral("BEGIN"));
    CreateCatalogueTables(*connection);
    return connection;
}

void FinishNewCatalogue(std::unique_ptr<TSQLiteConnection> connection) {
    CreateCatalogueIndexes(*connection);
    connection->Execute(QStringLiteral("COMMIT"));
    connection->Execute(QStringLiteral("PRAGMA journal_mode = DELETE"));
    connection.reset();
}

} // namespace qm
