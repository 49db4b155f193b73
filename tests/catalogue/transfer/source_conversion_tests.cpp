// The mapping of another database's tables onto the four catalogue tables, on a table source of
// the test's own: names found whatever their case and order, values kept as they are, and rows
// a catalogue cannot hold refused with the table, the row and the column named.
#include "catalogue/db/catalogue_schema.h"
#include "catalogue/transfer/source_conversion.h"
#include "framework/core/exceptions.h"
#include "tests/support/catalogue_files.h"

#include <QJsonArray>
#include <gtest/gtest.h>
#include <map>

namespace qm {
namespace {

struct TTestTable {
    QStringList columns;
    std::vector<TSourceRow> rows;
};

class TTestSource : public TTableSource {
public:
    std::map<QString, TTestTable> tables;

    QStringList TableNames() const override {
        QStringList names;
        for (const auto& [name, table] : tables)
            names << name;
        return names;
    }
    QStringList ColumnNames(const QString& table) const override { return tables.at(table).columns; }
    qint64 RowCount(const QString& table) const override {
        return static_cast<qint64>(tables.at(table).rows.size());
    }
    void ReadRows(const QString& table, const std::function<void(const TSourceRow&)>& onRow) const override {
        for (const TSourceRow& row : tables.at(table).rows)
            onRow(row);
    }
};

// A source as a Jet catalogue would give it, with other letter cases and another column order.
TTestSource CatalogueSource() {
    TTestSource source;
    source.tables[QStringLiteral("cd")] = {{"name", "id"}, {{QString("Disc 1"), 7LL}, {QVariant(), 9LL}}};
    source.tables[QStringLiteral("CATEGORY")] = {{"ID", "Name", "Remark"},
                                                 {{1LL, QString(""), QString("x")}}};
    source.tables[QStringLiteral("Type")] = {{"ID", "Name"}, {}};
    source.tables[QStringLiteral("Software")] = {
        {"Path", "Description", "Keywords", "TypeID", "CategoryID", "CDID", "Name", "ID"},
        {{QVariant(), QString("Line 1\r\nLine 2 \"quoted\""), QString(""), QVariant(), 1LL, 7.0,
          QString("Ünïcødé 😀"), 1000LL},
         {QString("/pics/a.gif"), QVariant(), QVariant(), 2LL, QVariant(), 9LL, QString("O'Brien"), 3LL}}};
    return source;
}

class SourceConversion : public ::testing::Test {
protected:
    TTableCounts Convert(const TTestSource& source) {
        auto connection = StartNewCatalogue(folder_.Path(QStringLiteral("new.mdb")));
        const TTableCounts counts = CopySourceCatalogue(source, *connection);
        FinishNewCatalogue(std::move(connection));
        return counts;
    }
    QJsonObject Rows() { return test::CatalogueRows(folder_.Path(QStringLiteral("new.mdb"))); }

    test::TWorkFolder folder_;
};

TEST_F(SourceConversion, TablesAndColumnsAreFoundByNameAndEveryValueIsKept) {
    EXPECT_EQ(Convert(CatalogueSource()), (TTableCounts{2, 1, 0, 2}));
    const QJsonObject rows = Rows();
    EXPECT_EQ(rows["CD"].toArray(), QJsonArray({QJsonObject{{"ID", 7}, {"Name", "Disc 1"}},
                                                QJsonObject{{"ID", 9}, {"Name", QJsonValue::Null}}}));
    EXPECT_EQ(rows["Category"].toArray(), QJsonArray({QJsonObject{{"ID", 1}, {"Name", ""}}}));
    EXPECT_EQ(rows["SOFTWARE"].toArray(),
              QJsonArray({QJsonObject{{"ID", 3},
                                      {"Name", "O'Brien"},
                                      {"CDID", 9},
                                      {"CategoryID", QJsonValue::Null},
                                      {"TypeID", 2},
                                      {"Keywords", QJsonValue::Null},
                                      {"Description", QJsonValue::Null},
                                      {"Path", "/pics/a.gif"}},
                          QJsonObject{{"ID", 1000},
                                      {"Name", "Ünïcødé 😀"},
                                      {"CDID", 7},
                                      {"CategoryID", 1},
                                      {"TypeID", QJsonValue::Null},
                                      {"Keywords", ""},
                                      {"Description", "Line 1\r\nLine 2 \"quoted\""},
                                      {"Path", QJsonValue::Null}}}));
    // New rows continue after the highest ID taken over.
    TSQLiteConnection connection(folder_.Path(QStringLiteral("new.mdb")), TOpenMode::omReadWrite);
    connection.Execute(QStringLiteral("INSERT INTO SOFTWARE (Name) VALUES ('next')"));
    EXPECT_EQ(connection.LastInsertRowId(), 1001);
    EXPECT_TRUE(CatalogueSchemaProblem(connection).isEmpty());
}

TEST_F(SourceConversion, ALargeTableReportsProgressEvery10000Rows) {
    TTestSource source = CatalogueSource();
    std::vector<TSourceRow>& rows = source.tables[QStringLiteral("Software")].rows;
    rows.clear();
    for (qlonglong id = 1; id <= 25000; ++id)
        rows.push_back(
            {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QString("p"), id});
    auto connection = StartNewCatalogue(folder_.Path(QStringLiteral("new.mdb")));
    QStringList reports;
    CopySourceCatalogue(source, *connection, [&](const QString& table, qint64 done, qint64 total) {
        reports << QStringLiteral("%1 %2/%3").arg(table).arg(done).arg(total);
    });
    EXPECT_EQ(reports, (QStringList{"SOFTWARE 10000/25000", "SOFTWARE 20000/25000"}));
}

struct TBadSource {
    const char* name;
    std::function<void(TTestSource&)> spoil;
    const char* message; // what the refusal must say
};

class SourceConversionRefuses : public ::testing::TestWithParam<TBadSource> {};

TEST_P(SourceConversionRefuses, NamingWhatIsWrong) {
    TTestSource source = CatalogueSource();
    GetParam().spoil(source);
    test::TWorkFolder folder;
    auto connection = StartNewCatalogue(folder.Path(QStringLiteral("new.mdb")));
    try {
        CopySourceCatalogue(source, *connection);
        ADD_FAILURE() << "converted";
    } catch (const Exception& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QLatin1String(GetParam().message)))
            << error.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    SourceConversion, SourceConversionRefuses,
    ::testing::Values(
        TBadSource{"MissingTable", [](TTestSource& s) { s.tables.erase(QStringLiteral("Type")); },
                   "it has no table Type"},
        TBadSource{
            "MissingColumn",
            [](TTestSource& s) { s.tables[QStringLiteral("Software")].columns[2] = QStringLiteral("Tags"); },
            "its table SOFTWARE has no column Keywords"},
        TBadSource{"TextInAnIntegerColumn",
                   [](TTestSource& s) { s.tables[QStringLiteral("Software")].rows[1][5] = QString("nine"); },
                   "Table SOFTWARE, row 2 (ID 3): CDID holds 'nine', which is not a whole number"},
        TBadSource{"FractionInAKey", [](TTestSource& s) { s.tables[QStringLiteral("cd")].rows[0][1] = 7.5; },
                   "Table CD, row 1 (ID 7.5): ID holds '7.5'"},
        TBadSource{"NullKey", [](TTestSource& s) { s.tables[QStringLiteral("cd")].rows[1][1] = QVariant(); },
                   "Table CD, row 2 (ID ): ID is empty"},
        TBadSource{"DuplicateKey", [](TTestSource& s) { s.tables[QStringLiteral("cd")].rows[1][1] = 7LL; },
                   "the ID 7 appears twice in table CD"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace qm
