// The command line as its users run it: the built program in a folder of its own on real files.
#include "catalogue/db/catalogue_schema.h"
#include "framework/data/sqlite_connection.h"
#include "tests/support/catalogue_files.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <gtest/gtest.h>

namespace qm {
namespace {

const QString kCounts = QStringLiteral("CD: 3 rows\nCategory: 4 rows\nType: 3 rows\nSOFTWARE: 40 rows\n");

QStringList Files(const test::TWorkFolder& folder) {
    return QDir(folder.Path()).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

struct TUsage {
    const char* name;
    const char* program;
    QStringList arguments;
    int exitCode;
    const char* output; // found in the standard output, or the standard error on failure
};

class CommandLineUsage : public ::testing::TestWithParam<TUsage> {};

TEST_P(CommandLineUsage, AnswersWithoutAWindowAndWithItsExitCode) {
    test::TWorkFolder folder;
    const TUsage& usage = GetParam();
    const test::ToolRun run = test::RunProgramIn(QLatin1String(usage.program), usage.arguments, folder.Path(),
                                                 folder.Environment());
    EXPECT_EQ(run.exitCode, usage.exitCode) << run.err.toStdString();
    EXPECT_TRUE((usage.exitCode == 0 ? run.out : run.err).contains(QLatin1String(usage.output)))
        << run.out.toStdString() << run.err.toStdString();
    EXPECT_TRUE(Files(folder).isEmpty()) << "no catalogue is made";
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, CommandLineUsage,
    ::testing::Values(
        TUsage{"Help", QM_QUILLMERE_EXE, {"--help"}, 0, "import-jet [--replace] OLD.mdb"},
        TUsage{"Version", QM_QUILLMERE_EXE, {"--version"}, 0, "quillmere 1.02\n"},
        TUsage{"GifVersion", QM_QUILLMERE_GIF_EXE, {"--version"}, 0, "quillmere-gif 1.02\n"},
        TUsage{"UnknownCommand", QM_QUILLMERE_EXE, {"catalog"}, 2, "unknown command 'catalog'"},
        TUsage{"UnknownFormat", QM_QUILLMERE_EXE, {"export", "--format", "xml"}, 2, "'xml'"},
        TUsage{"ImportWithoutFolder", QM_QUILLMERE_EXE, {"import"}, 2, "one folder"},
        TUsage{"ImportJetWithoutFile", QM_QUILLMERE_EXE, {"import-jet"}, 2, "one Jet file"},
        TUsage{"ExportWithoutCatalogue", QM_QUILLMERE_EXE, {"export"}, 1, "no catalogue 'swdb.mdb'"},
        TUsage{"UnknownOption",
               QM_QUILLMERE_EXE,
               {"export", "--fmt", "csv"},
               2,
               "export does not know the option '--fmt'"},
        TUsage{"MissingRequiredOption", QM_QUILLMERE_EXE, {"verify", "disc"}, 2, "verify needs --cd ID"},
        TUsage{"NumberOutOfRange",
               QM_QUILLMERE_EXE,
               {"scan", "--cd", "0", "disc"},
               2,
               "--cd wants a whole number of at least 1, not '0'"},
        TUsage{"CommandHelp", QM_QUILLMERE_EXE, {"help", "export"}, 0, "--format FORMAT\n      CSV is one"},
        TUsage{"CommandDashHelp", QM_QUILLMERE_EXE, {"report", "--help"}, 0, "one of: pdf, html"},
        // The tool's values: words, the enumerators' names, any case; anything else is named with
        // the accepted words.
        TUsage{"GifUnknownValue",
               QM_QUILLMERE_GIF_EXE,
               {"reduce", "a", "b", "--reduction", "sepia"},
               2,
               "--reduction does not accept 'sepia'; accepted: none, windows20, windows256, windows-gray"},
        TUsage{
            "GifWordsAndEnumeratorsAccepted",
            QM_QUILLMERE_GIF_EXE,
            {"reduce", "missing.png", "out.bmp", "--reduction", "Netscape", "--dither", "dmFloydSteinberg"},
            1,
            "Cannot open file"},
        TUsage{"GifUnknownListedValue",
               QM_QUILLMERE_GIF_EXE,
               {"optimize", "--steps", "crop,shrink", "a", "b"},
               2,
               "--steps does not accept 'shrink'; accepted: crop, merge, cleanup, colormap"},
        TUsage{"GifNumberOutOfRange",
               QM_QUILLMERE_GIF_EXE,
               {"render", "a", "b", "--speed", "1001"},
               2,
               "--speed wants a whole number from 0 to 1000, not '1001'"},
        TUsage{"GifNoJobs",
               QM_QUILLMERE_GIF_EXE,
               {"copy", "-j0", "-o", "out", "a.gif"},
               2,
               "--jobs wants a whole number from 1 to 256, not '0'"},
        TUsage{"GifOutputsOrOperands",
               QM_QUILLMERE_GIF_EXE,
               {"copy", "a.gif"},
               2,
               "or -o OUTDIR and the inputs"},
        TUsage{
            "GifHelpCommand",
            QM_QUILLMERE_GIF_EXE,
            {"help", "reduce"},
            0,
            "one of: nearest, floyd-steinberg, stucki, sierra, jarvis-judice-ninke, stevenson-arce, burkes\n"
            "      default: nearest"},
        TUsage{"GifCommandHelp",
               QM_QUILLMERE_GIF_EXE,
               {"render", "--help"},
               0,
               "--speed PERCENT\n      the speed of play\n      a whole number from 0 to 1000\n      "
               "default: 100"},
        TUsage{"GifHelpUnknownCommand",
               QM_QUILLMERE_GIF_EXE,
               {"help", "shrink"},
               2,
               "unknown command 'shrink'"}),
    [](const auto& info) { return std::string(info.param.name); });

class ImportJet : public ::testing::TestWithParam<const char*> {};

TEST_P(ImportJet, ConvertsEveryRowAndCountsThem) {
    QM_NEEDS_JET_SAMPLES();
    test::TWorkFolder folder;
    const test::ToolRun run = folder.Run({"import-jet", test::JetSample(QLatin1String(GetParam()))});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, kCounts);
    EXPECT_EQ(test::CatalogueRows(folder.Path("swdb.mdb")), test::ExpectedSampleCatalogue());
    EXPECT_EQ(Files(folder), QStringList{"swdb.mdb"});
}

INSTANTIATE_TEST_SUITE_P(CommandLine, ImportJet,
                         ::testing::Values("catalogue-small.mdb", "catalogue-small-2003.mdb"),
                         [](const auto& info) {
                             return std::string(info.index == 0 ? "Access2000" : "Access2003");
                         });

TEST(ImportJetRefuses, AnExistingCatalogueWithoutReplaceAndAJetFileThatIsNoCatalogue) {
    QM_NEEDS_JET_SAMPLES();
    test::TWorkFolder folder;
    folder.Write("swdb.mdb", "mine");
    test::ToolRun run = folder.Run({"import-jet", test::JetSample("catalogue-small.mdb")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("give --replace")) << run.err.toStdString();
    EXPECT_EQ(folder.Read("swdb.mdb"), "mine");

    test::TWorkFolder other;
    run = other.Run({"import-jet", test::JetSample("nwind.mdb")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("is not a software catalogue: it has no table CD")) << run.err.toStdString();
    EXPECT_TRUE(Files(other).isEmpty());
}

TEST(ExportRefuses, AFileThatIsNoCatalogueNamingItAndAJetFileWithTheWayToConvertIt) {
    QM_NEEDS_JET_SAMPLES();
    test::TWorkFolder folder;
    folder.Write("swdb.mdb", "a text file\n");
    test::ToolRun run = folder.Run({"export"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("The file 'swdb.mdb' is not a software catalogue")) << run.err.toStdString();
    folder.Copy(test::JetSample("nwind.mdb"), "swdb.mdb");
    run = folder.Run({"export"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("quillmere import-jet --replace swdb.mdb")) << run.err.toStdString();
    EXPECT_EQ(Files(folder), QStringList{"swdb.mdb"});
}

TEST(ImportJetReplace, KeepsAReplacedJetFileByteForByteUnderAFreeName) {
    QM_NEEDS_JET_SAMPLES();
    test::TWorkFolder folder;
    folder.Copy(test::JetSample("catalogue-small.mdb"), "swdb.mdb");
    folder.Write("swdb.mdb.jet", "an older keep");
    const test::ToolRun run = folder.Run({"import-jet", "--replace", "swdb.mdb"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(folder.Read("swdb.mdb.2.jet"), folder.Read(test::JetSample("catalogue-small.mdb")));
    EXPECT_EQ(folder.Read("swdb.mdb.jet"), "an older keep");
    EXPECT_EQ(test::CatalogueRows(folder.Path("swdb.mdb")), test::ExpectedSampleCatalogue());
}

TEST(ImportJetReplace, KeepsAReplacedCatalogueAsItsBackup) {
    QM_NEEDS_JET_SAMPLES();
    test::TWorkFolder folder;
    ASSERT_EQ(folder.Run({"import-jet", test::JetSample("catalogue-small.mdb")}).exitCode, 0);
    const QJsonObject before = test::CatalogueRows(folder.Path("swdb.mdb"));
    ASSERT_EQ(folder.Run({"import-jet", "--replace", test::JetSample("catalogue-small-2003.mdb")}).exitCode,
              0);
    EXPECT_EQ(test::CatalogueRows(folder.Path("swdb.mdb.bak")), before);
}

// Damage as disks and transfers do it: cut short, or bits flipped in the header, the catalogue
// of tables, a table definition, a data page and a memo page.
struct TDamage {
    const char* name;
    qsizetype keep;               // bytes kept (-1: all)
    std::vector<qsizetype> flips; // byte offsets whose bits are inverted
};

class DamagedJetFile : public ::testing::TestWithParam<TDamage> {};

TEST_P(DamagedJetFile, EndsInAClearMessageOrAComplete) {
    QM_NEEDS_JET_SAMPLES();
    test::TWorkFolder folder;
    QByteArray bytes = folder.Read(test::JetSample("catalogue-small.mdb"));
    if (GetParam().keep >= 0)
        bytes.truncate(GetParam().keep);
    for (const qsizetype offset : GetParam().flips)
        for (qsizetype i = offset; i < offset + 64 && i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(~bytes[i]);
    folder.Write("old.mdb", bytes);
    const test::ToolRun run = folder.Run({"import-jet", "old.mdb"});
    ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 1)
        << "the program itself failed: " << run.err.toStdString();
    if (run.exitCode == 1) {
        EXPECT_TRUE(run.err.contains("quillmere: ") && run.err.contains("old.mdb")) << run.err.toStdString();
        EXPECT_EQ(Files(folder), QStringList{"old.mdb"});
    } else {
        EXPECT_EQ(Files(folder), (QStringList{"old.mdb", "swdb.mdb"}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, DamagedJetFile,
    ::testing::Values(TDamage{"Empty", 0, {}}, TDamage{"HeaderOnly", 2048, {}},
                      TDamage{"FirstPages", 4096 * 3, {}}, TDamage{"HalfTheFile", 4096 * 28, {}},
                      TDamage{"LastPageCut", 233472 - 100, {}}, TDamage{"HeaderFlipped", -1, {20}},
                      TDamage{"CatalogueFlipped", -1, {4096 * 2 + 16}},
                      TDamage{
                          "PagesFlipped", -1, {4096 * 5, 4096 * 9 + 200, 4096 * 14 + 30, 4096 * 20 + 1000}},
                      TDamage{"EveryPageFlipped", -1,
                              [] {
                                  std::vector<qsizetype> offsets;
                                  for (qsizetype page = 1; page < 57; ++page)
                                      offsets.push_back(page * 4096 + (page * 997) % 4000);
                                  return offsets;
                              }()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ImportJetConcurrency, OfTwoConversionsIntoOneFolderOneWinsAndTheOtherRefuses) {
    QM_NEEDS_JET_SAMPLES();
    test::TWorkFolder folder;
    QProcess first;
    QProcess second;
    for (QProcess* process : {&first, &second}) {
        process->setWorkingDirectory(folder.Path());
        process->setProcessEnvironment(folder.Environment());
        process->start(QStringLiteral(QM_QUILLMERE_EXE),
                       {"import-jet", test::JetSample("catalogue-small.mdb")});
    }
    ASSERT_TRUE(first.waitForFinished(60000) && second.waitForFinished(60000));
    EXPECT_EQ(first.exitCode() + second.exitCode(), 1)
        << first.readAllStandardError().toStdString() << second.readAllStandardError().toStdString();
    EXPECT_EQ(test::CatalogueRows(folder.Path("swdb.mdb")), test::ExpectedSampleCatalogue());
    EXPECT_EQ(Files(folder), QStringList{"swdb.mdb"});
}

// A catalogue whose texts are hard to carry: quotes, commas, every kind of line break, NULL and
// empty side by side, texts that look like numbers or like NULL, non-ASCII and an emoji, a text
// that starts with U+FEFF (no byte order mark to drop), large and negative numbers.
void WriteHostileCatalogue(const QString& fileName) {
    TSQLiteConnection connection(fileName, TOpenMode::omCreate);
    CreateCatalogueSchema(connection);
    connection.Execute(QStringLiteral(
        "INSERT INTO CD VALUES (1, 'Disc, \"one\"'), (5, ''), (6, NULL), (7, 'NULL'), (8, char(65279) || "
        "'marked');"
        "INSERT INTO Category VALUES (2, '007'), (3, ' padded ');"
        "INSERT INTO Type VALUES (4000000000, 'Größe ½ – 日本 😀');"
        "INSERT INTO SOFTWARE VALUES (1, 'O''Brien''s \"Tool\"', 1, 2, 4000000000, 'a,b,,c', "
        "  'line 1' || char(13,10) || 'line 2' || char(10) || 'line 3' || char(13) || 'end', "
        "'C:\\pics\\a.jpg');"
        "INSERT INTO SOFTWARE VALUES (2, '', NULL, -1, 0, NULL, '', NULL);"
        "INSERT INTO SOFTWARE VALUES (9007199254740000, '\"', 5, NULL, NULL, '\"\"', ',', ' ');"));
}

class ExportImportRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(ExportImportRoundTrip, KeepsEveryRowAndValueExactly) {
    test::TWorkFolder source;
    WriteHostileCatalogue(source.Path("swdb.mdb"));
    const test::ToolRun exported = source.Run({"export", "--format", GetParam(), "out"});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    EXPECT_EQ(exported.out, "CD: 5 rows\nCategory: 2 rows\nType: 1 row\nSOFTWARE: 3 rows\n");
    test::TWorkFolder target;
    const test::ToolRun imported = target.Run({"import", "--format", GetParam(), source.Path("out")});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, exported.out);
    EXPECT_EQ(test::CatalogueRows(target.Path("swdb.mdb")), test::CatalogueRows(source.Path("swdb.mdb")));
    TSQLiteConnection connection(target.Path("swdb.mdb"), TOpenMode::omReadOnly);
    EXPECT_TRUE(CatalogueSchemaProblem(connection).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(CommandLine, ExportImportRoundTrip, ::testing::Values("csv", "json"),
                         [](const auto& info) { return std::string(info.param); });

// A text stored as bytes that are no UTF-8 (another tool wrote it) has no faithful form in either
// format: the export says where it is instead of writing U+FFFD, and writes no file.
class ExportRefusesBytes : public ::testing::TestWithParam<const char*> {};

TEST_P(ExportRefusesBytes, ThatAreNotUtf8NamingTableRowAndColumn) {
    test::TWorkFolder source;
    WriteHostileCatalogue(source.Path("swdb.mdb"));
    {
        TSQLiteConnection connection(source.Path("swdb.mdb"), TOpenMode::omReadWrite);
        // Latin-1, as a tool of the code-page days would have written it.
        connection.Execute(QStringLiteral("UPDATE SOFTWARE SET Description = CAST(X'44E9736972E9' AS TEXT) "
                                          "WHERE ID = 2"));
    }
    const test::ToolRun exported = source.Run({"export", "--format", GetParam(), "out"});
    EXPECT_EQ(exported.exitCode, 1);
    EXPECT_EQ(exported.err,
              "quillmere: Table SOFTWARE, row with ID 2, column Description: the text is not valid "
              "UTF-8; the export writes UTF-8 only, so correct this text first\n");
    EXPECT_TRUE(QDir(source.Path("out")).entryList(QDir::Files).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(CommandLine, ExportRefusesBytes, ::testing::Values("csv", "json"),
                         [](const auto& info) { return std::string(info.param); });

TEST(ExportFormat, CsvIsRfc4180WithNullAsABareEmptyField) {
    test::TWorkFolder folder;
    WriteHostileCatalogue(folder.Path("swdb.mdb"));
    ASSERT_EQ(folder.Run({"export"}).exitCode, 0);
    EXPECT_EQ(
        folder.Read("CD.csv"),
        "ID,Name\r\n1,\"Disc, \"\"one\"\"\"\r\n5,\"\"\r\n6,\r\n7,\"NULL\"\r\n8,\"\xEF\xBB\xBFmarked\"\r\n");
}

// Bad input, each refused with the file and line named, the catalogue left as it was.
struct TBadInput {
    const char* name;
    const char* format;
    const char* file;
    const char* from; // replaced in the exported file...
    const char* to;   // ...by this; nullptr: the file is cut short right after it
    const char* message;
};

class ImportRefuses : public ::testing::TestWithParam<TBadInput> {};

TEST_P(ImportRefuses, NamingFileAndLineAndLeavesTheCatalogueAsItWas) {
    const TBadInput& bad = GetParam();
    test::TWorkFolder source;
    WriteHostileCatalogue(source.Path("swdb.mdb"));
    ASSERT_EQ(source.Run({"export", "--format", bad.format, "out"}).exitCode, 0);
    QByteArray bytes = source.Read(QStringLiteral("out/") + bad.file);
    ASSERT_TRUE(bytes.contains(bad.from)) << bytes.toStdString();
    const qsizetype at = bytes.indexOf(bad.from);
    if (bad.to == nullptr)
        bytes.truncate(at + qstrlen(bad.from));
    else
        bytes.replace(at, qstrlen(bad.from), bad.to);
    source.Write(QStringLiteral("out/") + bad.file, bytes);

    test::TWorkFolder target;
    {
        TSQLiteConnection connection(target.Path("swdb.mdb"), TOpenMode::omCreate);
        CreateCatalogueSchema(connection);
    }
    const QByteArray before = target.Read("swdb.mdb");
    const test::ToolRun run = target.Run({"import", "--format", bad.format, source.Path("out")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QLatin1String(bad.message))) << run.err.toStdString();
    EXPECT_EQ(target.Read("swdb.mdb"), before);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, ImportRefuses,
    ::testing::Values(TBadInput{"CsvMissingColumn", "csv", "SOFTWARE.csv", "Keywords,", "",
                                "SOFTWARE.csv, line 1: the column Keywords is missing"},
                      TBadInput{"CsvTextInId", "csv", "CD.csv", "\n5,", "\nfive,",
                                "CD.csv, line 3: ID holds 'five'"},
                      TBadInput{"CsvDuplicateId", "csv", "CD.csv", "\n7,", "\n5,",
                                "CD.csv, line 5: the ID 5 appears twice in table CD"},
                      TBadInput{"CsvCutInAField", "csv", "SOFTWARE.csv", "line 3", nullptr,
                                "SOFTWARE.csv, line 2: a quoted field is not closed"},
                      TBadInput{"CsvCutInARow", "csv", "SOFTWARE.csv", "2,\"\",,-1", nullptr,
                                "SOFTWARE.csv, line 5: the file ends in the middle of a line"},
                      TBadInput{"CsvFieldMissing", "csv", "Category.csv", "\r\n3,", "\r\n",
                                "Category.csv, line 3: 1 fields where the header has 2"},
                      TBadInput{"CsvNotUtf8", "csv", "Category.csv", "007", "0\xff",
                                "Category.csv, line 2: bytes that are not UTF-8"},
                      TBadInput{"JsonMissingColumn", "json", "catalogue.json", "\"Name\": \"\", \"CDID\"",
                                "\"CDID\"", "catalogue.json, line 18: the column Name is missing"},
                      TBadInput{"JsonTextInId", "json", "catalogue.json", "{\"ID\": 5,", "{\"ID\": \"5\",",
                                "catalogue.json, line 4: ID holds the text \"5\""},
                      TBadInput{"JsonDuplicateId", "json", "catalogue.json", "{\"ID\": 3,", "{\"ID\": 2,",
                                "catalogue.json, line 11: the ID 2 appears twice in table Category"},
                      TBadInput{"JsonTruncated", "json", "catalogue.json", "\"SOFTWARE\": [", nullptr,
                                "catalogue.json, line 16"}),
    [](const auto& info) { return std::string(info.param.name); });

// CSV as other programs write it: numbers with a sign, blanks, leading zeros or in quotes, a
// byte order mark, bare line feeds, quotes doubled at both ends of a field.
struct TCsvSpelling {
    const char* name;
    QByteArray cd;    // CD.csv
    const char* rows; // the CD rows read back, as JSON
};

class ImportReads : public ::testing::TestWithParam<TCsvSpelling> {};

TEST_P(ImportReads, EverySpellingOfAValueAsTheValue) {
    test::TWorkFolder source;
    source.Write("in/CD.csv", GetParam().cd);
    source.Write("in/Category.csv", "ID,Name\r\n");
    source.Write("in/Type.csv", "ID,Name\r\n");
    source.Write("in/SOFTWARE.csv", "ID,Name,CDID,CategoryID,TypeID,Keywords,Description,Path\r\n");
    test::TWorkFolder target;
    const test::ToolRun run = target.Run({"import", source.Path("in")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(test::CatalogueRows(target.Path("swdb.mdb")).value("CD").toArray(),
              QJsonDocument::fromJson(GetParam().rows).array());
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, ImportReads,
    ::testing::Values(
        TCsvSpelling{"Numbers", "ID,Name\r\n+7,a\r\n 8 ,b\r\n\"009\",c\r\n-12,d\r\n",
                     R"([{"ID": -12, "Name": "d"}, {"ID": 7, "Name": "a"},
                         {"ID": 8, "Name": "b"}, {"ID": 9, "Name": "c"}])"},
        TCsvSpelling{"ByteOrderMarkAndLineFeeds", "\xEF\xBB\xBFname,id\n\"x\ny\",1\n,2\n",
                     R"([{"ID": 1, "Name": "x\ny"}, {"ID": 2, "Name": null}])"},
        TCsvSpelling{"DoubledQuotes", "ID,Name\r\n1,\"\"\"a\"\"\"\r\n2,\"\"\"\"\"\"\"\"\r\n3,\"\"\r\n",
                     R"([{"ID": 1, "Name": "\"a\""}, {"ID": 2, "Name": "\"\"\""}, {"ID": 3, "Name": ""}])"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CatalogueBackup, ImportCopiesTheCatalogueBeforeItsFirstWriteAndExportWritesNothing) {
    test::TWorkFolder source;
    WriteHostileCatalogue(source.Path("swdb.mdb"));
    ASSERT_EQ(source.Run({"export", "out"}).exitCode, 0);
    EXPECT_FALSE(QFile::exists(source.Path("swdb.mdb.bak")));

    test::TWorkFolder target;
    {
        TSQLiteConnection connection(target.Path("swdb.mdb"), TOpenMode::omCreate);
        CreateCatalogueSchema(connection);
    }
    const QJsonObject empty = test::CatalogueRows(target.Path("swdb.mdb"));
    ASSERT_EQ(target.Run({"import", source.Path("out")}).exitCode, 0);
    EXPECT_EQ(test::CatalogueRows(target.Path("swdb.mdb.bak")), empty);
    EXPECT_EQ(test::CatalogueRows(target.Path("swdb.mdb")), test::CatalogueRows(source.Path("swdb.mdb")));
}

} // namespace
} // namespace qm
