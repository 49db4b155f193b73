// The report: which rows it shows under which CD, its totals, and the files the report command
// writes, read back as their readers see them.
#include "catalogue/db/catalogue_schema.h"
#include "catalogue/report/report_writers.h"
#include "framework/core/exceptions.h"
#include "framework/data/sqlite_connection.h"
#include "tests/support/catalogue_files.h"
#include "tests/support/picture_files.h"
#include "tests/support/sqlite_file.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace qm {
namespace {

// Two CDs named out of ID order, an entry under a CD number that names no CD and one without a
// CD; one picture (a photograph far larger than a thumbnail), one path to no file.
void FillSmallCatalogue(const test::TWorkFolder& folder) {
    const QString picture = folder.Path(QStringLiteral("chess.jpg"));
    test::WriteFile(picture, test::JPEGBytes(test::ColourfulImage(1600, 1200)));
    const QString file = folder.Path(QStringLiteral("swdb.mdb"));
    PrepareCatalogueFile(file);
    test::ExecuteSql(
        file, QStringLiteral(
                  "INSERT INTO CD (ID, Name) VALUES (1, 'Beta Disc'), (2, 'Alpha Disc');"
                  "INSERT INTO Category (ID, Name) VALUES (1, 'Games'), (2, 'Tools');"
                  "INSERT INTO \"Type\" (ID, Name) VALUES (1, 'Freeware');"
                  "INSERT INTO SOFTWARE (ID, Name, CDID, CategoryID, TypeID, Keywords, Description, Path)"
                  " VALUES (1, 'Chess Master', 1, 1, 1, 'board', 'A chess game', '%1'),"
                  " (2, 'Tom & Jerry <Deluxe>', 2, 1, NULL, 'cartoon', '', NULL),"
                  " (3, 'Zip Tool', 1, 2, 1, NULL, NULL, '/nonexistent/x.jpg'),"
                  " (4, 'Orphan Editor', 9, 7, 1, '', 'Lost CD', NULL),"
                  " (5, 'Loose Notes', NULL, 2, 1, '', 'notes', NULL),"
                  " (6, 'Archive Tool', 1, 2, 1, '', 'Packs files', NULL);")
                  .arg(picture));
}

using TGroups = std::vector<std::pair<QString, QStringList>>;

// The whole catalogue by CD: CDs in name order, unknown CD numbers, then entries without a CD.
const TGroups kAllGroups = {{"Alpha Disc", {"Tom & Jerry <Deluxe>"}},
                            {"Beta Disc", {"Chess Master", "Zip Tool", "Archive Tool"}},
                            {"9 (no such CD)", {"Orphan Editor"}},
                            {"No CD", {"Loose Notes"}}};

TGroups GroupNames(TReportModel& model) {
    TGroups groups;
    for (const TReportGroup& group : model.Groups()) {
        QStringList names;
        for (const qint64 id : group.entryIds)
            names << model.Entry(id).name;
        groups.emplace_back(group.title, names);
    }
    return groups;
}

struct TModelCase {
    const char* name;
    const char* statement;
    TGroups groups;
    qint64 entries;
};

class ReportModel : public ::testing::TestWithParam<TModelCase> {};

TEST_P(ReportModel, GroupsTheStatementsRowsByCDInTheStatementsOrder) {
    test::TWorkFolder folder;
    FillSmallCatalogue(folder);
    TSQLiteConnection connection(folder.Path(QStringLiteral("swdb.mdb")), TOpenMode::omReadOnly);
    TReportModel model(connection, QLatin1String(GetParam().statement));
    EXPECT_EQ(GroupNames(model), GetParam().groups);
    EXPECT_EQ(model.Totals().entries, GetParam().entries);
}

INSTANTIATE_TEST_SUITE_P(
    Report, ReportModel,
    ::testing::Values(
        TModelCase{"WholeCatalogue", "SELECT * FROM SOFTWARE ORDER BY ID ASC", kAllGroups, 6},
        TModelCase{"SortedByTitleClick",
                   "SELECT * FROM SOFTWARE WHERE CDID = 1 ORDER BY NAME ASC",
                   {{"Beta Disc", {"Archive Tool", "Chess Master", "Zip Tool"}}},
                   3},
        TModelCase{"NothingFound", "SELECT * FROM Software WHERE NAME LIKE '%zzz%' ORDER BY ID ASC", {}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<std::tuple<QString, qint64, std::optional<qint64>, std::optional<qint64>>>
Rows(const std::vector<TNamedCount>& counts) {
    std::vector<std::tuple<QString, qint64, std::optional<qint64>, std::optional<qint64>>> rows;
    for (const TNamedCount& count : counts)
        rows.emplace_back(count.name, count.entries, count.files, count.bytes);
    return rows;
}

TEST(ReportTotals, CountEveryNameAndTheScannedFilesOnceDiscsAreScanned) {
    test::TWorkFolder folder;
    FillSmallCatalogue(folder);
    const QString file = folder.Path(QStringLiteral("swdb.mdb"));
    {
        TSQLiteConnection connection(file, TOpenMode::omReadOnly);
        const TReportTotals totals = TReportModel(connection, kWholeCatalogueStatement).Totals();
        EXPECT_FALSE(totals.discsScanned);
        EXPECT_EQ(totals.perCD.front().files, std::nullopt);
    }
    test::ExecuteSql(
        file, QStringLiteral("CREATE TABLE FILES (ID INTEGER PRIMARY KEY, CDID INTEGER NOT NULL,"
                             " Path TEXT NOT NULL, Size INTEGER NOT NULL, Modified TEXT, Hash TEXT);"
                             "INSERT INTO FILES (CDID, Path, Size) VALUES (1, 'a', 100), (1, 'b/c', 250);"
                             "INSERT INTO SOFTWARE (Name, CDID, Description) VALUES ('Blank', 2, ' ');"));
    TSQLiteConnection connection(file, TOpenMode::omReadOnly);
    const TReportTotals totals = TReportModel(connection, kWholeCatalogueStatement).Totals();
    EXPECT_TRUE(totals.discsScanned);
    EXPECT_EQ(totals.entries, 7);
    EXPECT_EQ(totals.withoutPicture, 5) << "a path to a missing file is still a picture of the entry";
    EXPECT_EQ(totals.withoutDescription, 3) << "blanks are no description";
    using R = decltype(Rows({}));
    EXPECT_EQ(Rows(totals.perCD), (R{{"Alpha Disc", 2, 0, 0},
                                     {"Beta Disc", 3, 2, 350},
                                     {"9 (no such CD)", 1, std::nullopt, std::nullopt},
                                     {"No CD", 1, std::nullopt, std::nullopt}}));
    EXPECT_EQ(Rows(totals.perCategory), (R{{"Games", 2, {}, {}},
                                           {"Tools", 3, {}, {}},
                                           {"7 (no such category)", 1, {}, {}},
                                           {"No category", 1, {}, {}}}));
    EXPECT_EQ(Rows(totals.perType), (R{{"Freeware", 5, {}, {}}, {"No type", 2, {}, {}}}));
}

TEST(ReportFile, ACancelledReportLeavesTheFileAsItWas) {
    test::TWorkFolder folder;
    FillSmallCatalogue(folder);
    folder.Write(QStringLiteral("report.html"), "before");
    TSQLiteConnection connection(folder.Path(QStringLiteral("swdb.mdb")), TOpenMode::omReadOnly);
    TReportModel model(connection, kWholeCatalogueStatement);
    TReportOptions options;
    qint64 told = 0;
    options.progress = [&](qint64 done, qint64 total) {
        told = done;
        EXPECT_EQ(total, 6);
        return done < 2;
    };
    EXPECT_THROW(
        WriteReportFile(model, folder.Path(QStringLiteral("report.html")), TReportFormat::rfHtml, options),
        EAbort);
    EXPECT_EQ(told, 2);
    EXPECT_EQ(folder.Read(QStringLiteral("report.html")), "before");
}

// The text of the HTML report in reading order, one element's text a line; the parse must succeed.
QString HtmlText(const QByteArray& html, std::vector<QSize>* images) {
    QXmlStreamReader reader(html);
    QString text;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isCharacters() && !reader.isWhitespace())
            text += reader.text();
        else if (reader.isEndElement())
            text += u'\n';
        else if (reader.isStartElement() && reader.name() == QLatin1String("img"))
            images->emplace_back(reader.attributes().value(QLatin1String("width")).toInt(),
                                 reader.attributes().value(QLatin1String("height")).toInt());
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString() << " at line "
                                    << reader.lineNumber();
    return text;
}

// Width and height of every image pdfimages lists.
std::vector<QSize> PdfImages(const QString& pdf) {
    const test::ToolRun run = test::RunProgram(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    EXPECT_EQ(run.exitCode, 0) << "pdfimages (poppler-utils) is needed: " << run.err.toStdString();
    std::vector<QSize> images;
    for (const QString& line : run.out.split(u'\n').mid(2)) {
        const QStringList fields = line.simplified().split(u' ');
        if (fields.size() > 4)
            images.emplace_back(fields[3].toInt(), fields[4].toInt());
    }
    return images;
}

class ReportCommand : public ::testing::TestWithParam<const char*> {};

TEST_P(ReportCommand, WritesTheTotalsThenEveryNameUnderItsCD) {
    test::TWorkFolder folder;
    FillSmallCatalogue(folder);
    const QString format = QLatin1String(GetParam());
    const QString out = folder.Path(QStringLiteral("catalogue.") + format);
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("DISPLAY"), QString());
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QString());
    const test::ToolRun run =
        folder.Run({QStringLiteral("report"), QStringLiteral("--format"), format, out}, environment);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("catalogue.%1: 6 entries on 4 CDs\n").arg(format));

    std::vector<QSize> images;
    QString text;
    if (format == QLatin1String("pdf")) {
        const test::ToolRun pdf = test::RunProgram(QStringLiteral("pdftotext"),
                                                   {QStringLiteral("-layout"), out, QStringLiteral("-")});
        ASSERT_EQ(pdf.exitCode, 0) << "pdftotext (poppler-utils) is needed: " << pdf.err.toStdString();
        text = pdf.out;
        images = PdfImages(out);
    } else {
        text = HtmlText(folder.Read(QStringLiteral("catalogue.html")), &images);
    }
    // The totals come first; past them, each CD's heading, then its names, before the next CD.
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("Entries without description\\s+2"))))
        << text.toStdString();
    qsizetype at = text.indexOf(QLatin1String("Entries per type"));
    ASSERT_GE(at, 0) << text.toStdString();
    for (const auto& [cd, names] : kAllGroups) {
        at = text.indexOf(cd, at);
        ASSERT_GE(at, 0) << cd.toStdString() << " in " << text.toStdString();
        for (const QString& name : names) {
            const qsizetype found = text.indexOf(name, at);
            EXPECT_GT(found, at) << name.toStdString() << " after " << cd.toStdString();
            at = std::max(at, found);
        }
    }
    EXPECT_TRUE(text.contains(QLatin1String("Picture '/nonexistent/x.jpg' doesn't exist!")));
    ASSERT_EQ(images.size(), 1U) << "one thumbnail, of the one picture";
    EXPECT_EQ(images.front(), QSize(200, 150)) << "a 1600 x 1200 photograph fits in 200 pixels";
}

INSTANTIATE_TEST_SUITE_P(Report, ReportCommand, ::testing::Values("pdf", "html"));

} // namespace
} // namespace qm
