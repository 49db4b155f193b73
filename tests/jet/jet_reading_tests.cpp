// Reading real Jet files through libmdb: tables, column types, memos and text encodings of Jet 3
// and Jet 4, NULL apart from empty text, and the catalogue samples against their known rows.
#include "jet/jet_database.h"
#include "tests/support/catalogue_files.h"

#include <QDateTime>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace qm {
namespace {

std::vector<TSourceRow> AllRows(const TJetDatabase& database, const QString& table) {
    std::vector<TSourceRow> rows;
    database.ReadRows(table, [&](const TSourceRow& row) { rows.push_back(row); });
    return rows;
}

QStringList TypeNames(const TJetDatabase& database, const QString& table) {
    QStringList names;
    for (const TJetColumn& column : database.Columns(table))
        names << column.name + u':' + column.typeName;
    return names;
}

TEST(JetReading, Jet3NorthwindListsItsNineTablesWithNonAsciiNamesAndEveryRow) {
    QM_NEEDS_JET_SAMPLES();
    const TJetDatabase database(test::JetSample(QStringLiteral("nwind.mdb")));
    EXPECT_EQ(database.FormatName(), "Jet 3");
    const QStringList tables = database.TableNames();
    EXPECT_EQ(tables.size(), 9);
    EXPECT_TRUE(tables.contains(QStringLiteral("Umsätze")));
    for (const QString& table : tables)
        EXPECT_EQ(static_cast<qint64>(AllRows(database, table).size()), database.RowCount(table))
            << table.toStdString();
    EXPECT_EQ(AllRows(database, QStringLiteral("Order Details")).size(), 2155u);
}

TEST(JetReading, Jet3ColumnTypesComeOutAsTheirValues) {
    QM_NEEDS_JET_SAMPLES();
    const TJetDatabase database(test::JetSample(QStringLiteral("nwind.mdb")));
    EXPECT_EQ(TypeNames(database, QStringLiteral("Products")),
              (QStringList{"ProductID:Long Integer", "ProductName:Text", "SupplierID:Long Integer",
                           "CategoryID:Long Integer", "QuantityPerUnit:Text", "UnitPrice:Currency",
                           "UnitsInStock:Integer", "UnitsOnOrder:Integer", "ReorderLevel:Integer",
                           "Discontinued:Yes/No"}));
    const TSourceRow chai = AllRows(database, QStringLiteral("Products")).front();
    EXPECT_EQ(chai[1].toString(), "Chai");
    EXPECT_EQ(chai[5].toString(), "18.0000");
    EXPECT_EQ(chai[6].toLongLong(), 39);
    EXPECT_EQ(chai[9].toLongLong(), 0);
    const TSourceRow davolio = AllRows(database, QStringLiteral("Employees")).front();
    EXPECT_EQ(davolio[5].toDateTime(), QDateTime(QDate(1948, 12, 8), QTime(0, 0)));
    EXPECT_EQ(davolio[7].toString(), "507 - 20th Ave. E.\r\nApt. 2A");
    EXPECT_GT(davolio[14].toByteArray().size(), 20000) << "the OLE photo is read whole";
    EXPECT_TRUE(davolio[15].toString().startsWith("Education includes a BA in psychology"));
    EXPECT_TRUE(davolio[15].toString().endsWith(".")) << "the memo is read to its end";
}

TEST(JetReading, Jet3TextsAreDecodedFromTheFilesCodePage) {
    QM_NEEDS_JET_SAMPLES();
    const TJetDatabase database(test::JetSample(QStringLiteral("nwind.mdb")));
    QStringList cities;
    database.ReadRows(QStringLiteral("Customers"),
                      [&](const TSourceRow& row) { cities << row[5].toString(); });
    EXPECT_TRUE(cities.contains(QStringLiteral("México D.F.")));
    EXPECT_TRUE(cities.contains(QStringLiteral("Århus")));
}

TEST(JetReading, Jet4DatesFarFromTodayAndMemosWithLineBreaks) {
    QM_NEEDS_JET_SAMPLES();
    const TJetDatabase database(test::JetSample(QStringLiteral("DateTestDatabase.mdb")));
    EXPECT_EQ(database.FormatName(), "Jet 4");
    EXPECT_EQ(database.TableNames(), QStringList{"DateTest"});
    const std::vector<TSourceRow> rows = AllRows(database, QStringLiteral("DateTest"));
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0][1].toDateTime(), QDateTime(QDate(2021, 12, 2), QTime(0, 0)));
    EXPECT_EQ(rows[1][1].toDateTime().date().year(), 9999);
    EXPECT_EQ(rows[2][1].toDateTime().date().year(), 1898);
    EXPECT_EQ(rows[3][1].toDateTime().date().year(), 632);
    EXPECT_EQ(rows[5][4].toString(), "New line\r\nin field");
    EXPECT_EQ(rows[5][5].toString(), "No new line");
}

class JetCatalogueSample : public ::testing::TestWithParam<const char*> {};

// Compressed and plain Unicode in one file, an emoji, NULL against empty text, a 20,000-character
// memo over a chain of pages, deleted rows left out.
TEST_P(JetCatalogueSample, EveryRowIsReadAsStored) {
    QM_NEEDS_JET_SAMPLES();
    const TJetDatabase database(test::JetSample(QLatin1String(GetParam())));
    const QJsonObject expected = test::ExpectedSampleCatalogue();
    for (const QString& table : expected.keys()) {
        const QStringList columns = database.ColumnNames(table);
        const QJsonArray rows = expected.value(table).toArray();
        qsizetype index = 0;
        database.ReadRows(table, [&](const TSourceRow& row) {
            ASSERT_LT(index, rows.size()) << table.toStdString();
            const QJsonObject want = rows[index++].toObject();
            for (int c = 0; c < columns.size(); ++c) {
                const QJsonValue value = want.value(columns[c]);
                const QString where = QStringLiteral("%1 row %2 %3").arg(table).arg(index).arg(columns[c]);
                EXPECT_EQ(row[static_cast<size_t>(c)].isNull(), value.isNull()) << where.toStdString();
                if (value.isString()) {
                    EXPECT_EQ(row[static_cast<size_t>(c)].toString(), value.toString())
                        << where.toStdString();
                } else if (!value.isNull()) {
                    EXPECT_EQ(row[static_cast<size_t>(c)].toLongLong(), value.toInteger())
                        << where.toStdString();
                }
            }
        });
        EXPECT_EQ(index, rows.size()) << table.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(JetReading, JetCatalogueSample,
                         ::testing::Values("catalogue-small.mdb", "catalogue-small-2003.mdb"),
                         [](const auto& info) {
                             return std::string(info.index == 0 ? "Access2000" : "Access2003");
                         });

TEST(JetReading, AFileThatIsNoJetDatabaseIsRefusedWithItsName) {
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("notes.mdb"));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("just some notes\n");
    file.close();
    for (const QString& name : {text, dir.filePath(QStringLiteral("missing.mdb"))}) {
        try {
            TJetDatabase database(name);
            ADD_FAILURE() << "opened " << name.toStdString();
        } catch (const EJetError& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(name)) << error.what();
        }
    }
}

} // namespace
} // namespace qm
