// Scanning folders and ISO images into the catalogue, finding files and verifying discs, with
// images made by xorriso at test time and xxhsum as the oracle of the hashes.
#include "discs/disc_catalogue.h"
#include "framework/data/sqlite_connection.h"
#include "tests/support/disc_images.h"
#include "tests/support/sqlite_file.h"
#include "tests/support/tool_run.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace qm {
namespace {

using test::FileBytes;
using test::WriteTestFile;

const QString kEmptyHash = QStringLiteral("99aa06d3014798d86001c324468d497f");

#define QM_REQUIRE_XORRISO()                                                                                 \
    if (!test::HaveXorriso())                                                                                \
    GTEST_SKIP() << "xorriso is not installed"

class DiscTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        catalogue_ = Path(QStringLiteral("swdb.mdb"));
        test::ExecuteSql(
            test::OpenSqlite(catalogue_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE).get(),
            QStringLiteral("CREATE TABLE CD (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT);"
                           "CREATE TABLE SOFTWARE (ID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT, "
                           "CDID INTEGER, Path TEXT);"
                           "INSERT INTO CD (Name) VALUES ('typed by hand');"));
        connection_ = std::make_unique<TSQLiteConnection>(catalogue_, TOpenMode::omReadWrite);
        CreateDiscTables(*connection_);
    }

    // Names that are not UTF-8 are beyond QDir's removal.
    void TearDown() override {
        connection_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(dir_.path()).toStdString(), ignored);
    }

public:
    QString Path(const QString& name) const { return dir_.filePath(name); }

protected:
    TScanResult Scan(const QString& source, const TDiscReadOptions& options = {}, qint64 cd = 0) {
        return ScanDisc(*connection_, {source, {}, cd, true, Path(QStringLiteral("pictures"))}, options);
    }

    // "path size hash" of a CD's files in path order.
    QStringList Files(qint64 cd) const {
        return test::SqlColumn(catalogue_,
                               QStringLiteral("SELECT Path || ' ' || Size || ' ' || Hash FROM FILES "
                                              "WHERE CDID = %1 ORDER BY Path")
                                   .arg(cd));
    }

    // Everything a scan may write, to see that a failed one wrote nothing.
    QStringList Snapshot() const {
        return test::SqlColumn(catalogue_,
                               QStringLiteral("SELECT (SELECT group_concat(ID || Name) FROM CD) || '/' || "
                                              "(SELECT count(*) FROM FILES) || '/' || (SELECT count(*) FROM "
                                              "DISCS) || '/' || (SELECT count(*) FROM FILES_FIND) || '/' || "
                                              "(SELECT count(*) FROM SOFTWARE)"));
    }

    // A folder of typical disc content: nested folders, long and non-ASCII names, a file larger
    // than one read block, an empty file.
    QString MakeDiscFolder(const QString& name) {
        const QString folder = Path(name);
        WriteTestFile(folder, QStringLiteral("SETUP.EXE"), QByteArray("MZ setup"));
        WriteTestFile(folder, QStringLiteral("Docs/Read me first, please.txt"), QByteArray("read me"));
        WriteTestFile(folder, QStringLiteral("Docs/Äpfel und Birnen/Grüße.txt"), QByteArray("grüße"));
        QByteArray large(3 * 1024 * 1024 + 17, '\0');
        for (qsizetype i = 0; i < large.size(); ++i)
            large[i] = static_cast<char>((i * 2654435761u) >> 13);
        WriteTestFile(folder, QStringLiteral("data/large.bin"), large);
        WriteTestFile(folder, QStringLiteral("data/empty.dat"), QByteArray());
        return folder;
    }

    QTemporaryDir dir_;
    QString catalogue_;
    std::unique_ptr<TSQLiteConnection> connection_;
};

TEST_F(DiscTest, ImageAndFolderRecordTheSameFilesWithTheHashesXxhsumPrints) {
    QM_REQUIRE_XORRISO();
    const QString folder = MakeDiscFolder(QStringLiteral("disc"));
    const QString image = Path(QStringLiteral("disc.iso"));
    test::MakeIsoImage(folder, image, QStringLiteral("TOOLS_1999"));

    const TScanResult fromImage = Scan(image);
    const TScanResult fromFolder = Scan(folder);
    EXPECT_EQ(fromImage.name, QStringLiteral("TOOLS_1999"));
    EXPECT_EQ(fromImage.files, 5);
    EXPECT_EQ(fromImage.bytes, 3 * 1024 * 1024 + 17 + 8 + 7 + QByteArray("grüße").size());
    EXPECT_EQ(Files(fromImage.cd), Files(fromFolder.cd));
    EXPECT_EQ(
        test::SqlColumn(catalogue_, QStringLiteral("SELECT Label || ' ' || Files FROM DISCS ORDER BY CDID")),
        QStringList({QStringLiteral("TOOLS_1999 5"), QStringLiteral("disc 5")}));

    const QString setupTime = QFileInfo(QDir(folder).filePath(QStringLiteral("SETUP.EXE")))
                                  .lastModified()
                                  .toUTC()
                                  .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"));
    EXPECT_EQ(test::SqlColumn(catalogue_,
                              QStringLiteral("SELECT DISTINCT Modified FROM FILES WHERE Path = 'SETUP.EXE'")),
              QStringList(setupTime));

    if (QStandardPaths::findExecutable(QStringLiteral("xxhsum")).isEmpty())
        GTEST_SKIP() << "xxhsum is not installed";
    for (const QString& row : Files(fromImage.cd)) {
        const QString path = row.section(u' ', 0, -3);
        const test::ToolRun xxhsum =
            test::RunProgram(QStringLiteral("xxhsum"), {QStringLiteral("-H2"), QDir(folder).filePath(path)});
        EXPECT_EQ(row.section(u' ', -1), xxhsum.out.section(u' ', 0, 0)) << path.toStdString();
    }
}

// A source a scan must survive: it records what is there correctly or refuses with a message
// naming the problem, and never leaves part of a scan behind.
struct THostileSource {
    const char* name;
    // Makes the source in the test's folder and returns its path.
    std::function<QString(DiscTest&, const QString& folder)> make;
    const char* message; // part of the refusal; empty when the scan succeeds
    QStringList files;   // what a successful scan records
    // Done after the first file has been read; returning false cancels.
    std::function<bool(const QString& source)> duringScan;
};

QString ImageOf(DiscTest&, const QString& folder, const QString& name,
                const std::function<void(QByteArray&)>& spoil) {
    const QString image = folder + QStringLiteral("/../") + name;
    test::MakeIsoImage(folder, image, QStringLiteral("HOSTILE"));
    QByteArray bytes = FileBytes(image);
    spoil(bytes);
    QFile file(image);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return image;
}

// The Rock Ridge name "ab" of the image, renamed in place to two other characters.
void RenameRockRidge(QByteArray& image, const QByteArray& newName) {
    const QByteArray entry("NM\x07\x01\x00"
                           "ab",
                           7);
    const qsizetype at = image.indexOf(entry);
    ASSERT_GE(at, 0);
    image.replace(at + 5, 2, newName);
}

class HostileSourceTest : public DiscTest, public ::testing::WithParamInterface<THostileSource> {};

TEST_P(HostileSourceTest, IsRecordedCorrectlyOrRefusedWithoutATrace) {
    const THostileSource& hostile = GetParam();
    if (QString::fromLatin1(hostile.name).contains(QLatin1String("Image")) && !test::HaveXorriso())
        GTEST_SKIP() << "xorriso is not installed";
    const QString folder = Path(QStringLiteral("source"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString source = hostile.make(*this, folder);
    const QStringList before = Snapshot();
    TDiscReadOptions options;
    options.progress = [&](qint64, qint64) { return !hostile.duringScan || hostile.duringScan(source); };
    try {
        const TScanResult result = Scan(source, options);
        EXPECT_EQ(QLatin1String(hostile.message), QString()) << "scanned though it should not";
        EXPECT_EQ(Files(result.cd), hostile.files);
    } catch (const Exception& error) {
        ASSERT_NE(QLatin1String(hostile.message), QString()) << error.what();
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QLatin1String(hostile.message))) << error.what();
        EXPECT_EQ(Snapshot(), before);
    }
}

const THostileSource kHostileSources[] = {
    {"TruncatedImage",
     [](DiscTest& test, const QString& folder) {
         WriteTestFile(folder, QStringLiteral("first.bin"), QByteArray(300000, 'a'));
         WriteTestFile(folder, QStringLiteral("second.bin"), QByteArray(300000, 'b'));
         // Cut in the middle of the second file's bytes.
         return ImageOf(test, folder, QStringLiteral("truncated.iso"), [](QByteArray& image) {
             image.truncate(image.indexOf(QByteArray(4096, 'b')) + 1000);
         });
     },
     "truncated.iso",
     {},
     {}},
    {"ImageCutInItsDescriptors",
     [](DiscTest& test, const QString& folder) {
         WriteTestFile(folder, QStringLiteral("file"), QByteArray("x"));
         return ImageOf(test, folder, QStringLiteral("cut.iso"),
                        [](QByteArray& image) { image.truncate(33000); });
     },
     "cut.iso",
     {},
     {}},
    {"ImageNamingAFileDotDot",
     [](DiscTest& test, const QString& folder) {
         WriteTestFile(folder, QStringLiteral("d/ab"), QByteArray("climbs out"));
         return ImageOf(test, folder, QStringLiteral("dotdot.iso"),
                        [](QByteArray& image) { RenameRockRidge(image, ".."); });
     },
     "names a file outside the disc",
     {},
     {}},
    {"ImageOfEmptyFiles",
     [](DiscTest& test, const QString& folder) {
         WriteTestFile(folder, QStringLiteral("one"), {});
         WriteTestFile(folder, QStringLiteral("two"), {});
         return ImageOf(test, folder, QStringLiteral("empty.iso"), [](QByteArray&) {});
     },
     "",
     {QStringLiteral("one 0 ") + kEmptyHash, QStringLiteral("two 0 ") + kEmptyHash},
     {}},
    {"UdfOnlyImage",
     [](DiscTest& test, const QString&) {
         // The volume recognition sequence of UDF and nothing of ISO 9660.
         QByteArray image(64 * 2048, '\0');
         image.replace(16 * 2048, 7, QByteArray("\0BEA01\x01", 7));
         image.replace(17 * 2048, 7, QByteArray("\0NSR02\x01", 7));
         image.replace(18 * 2048, 7, QByteArray("\0TEA01\x01", 7));
         WriteTestFile(test.Path(QString()), QStringLiteral("udf.img"), image);
         return test.Path(QStringLiteral("udf.img"));
     },
     "mount it",
     {},
     {}},
    {"MissingSource",
     [](DiscTest& test, const QString&) { return test.Path(QStringLiteral("nowhere")); },
     "does not exist",
     {},
     {}},
    {"FolderWithNamesThatAreNotUtf8",
     [](DiscTest&, const QString& folder) {
         const std::string name = QFile::encodeName(folder).toStdString() + "/caf\xE9 %41.txt";
         std::FILE* file = std::fopen(name.c_str(), "w");
         std::fclose(file);
         return folder;
     },
     "",
     {QStringLiteral("caf%E9 %41.txt 0 ") + kEmptyHash},
     {}},
    {"FolderThatVanishesMidScan",
     [](DiscTest&, const QString& folder) {
         for (int i = 0; i < 20; ++i)
             WriteTestFile(folder, QStringLiteral("f%1").arg(i), QByteArray("data"));
         return folder;
     },
     "cannot be read",
     {},
     [](const QString& source) { return QDir(source).removeRecursively() || true; }},
    {"CancelledScan",
     [](DiscTest&, const QString& folder) {
         WriteTestFile(folder, QStringLiteral("a"), QByteArray("a"));
         WriteTestFile(folder, QStringLiteral("b"), QByteArray("b"));
         return folder;
     },
     "cancelled",
     {},
     [](const QString&) { return false; }},
};

INSTANTIATE_TEST_SUITE_P(Discs, HostileSourceTest, ::testing::ValuesIn(kHostileSources),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DiscTest, RescanReplacesTheFilesAndDeletingTheCDDeletesItsRecord) {
    const QString folder = Path(QStringLiteral("disc"));
    WriteTestFile(folder, QStringLiteral("old.txt"), QByteArray("old"));
    const TScanResult first = Scan(folder);
    QFile::remove(QDir(folder).filePath(QStringLiteral("old.txt")));
    WriteTestFile(folder, QStringLiteral("new.txt"), QByteArray("new"));
    const TScanResult again = Scan(folder, {}, first.cd);
    EXPECT_EQ(again.cd, first.cd);
    EXPECT_EQ(Files(first.cd).size(), 1);
    EXPECT_TRUE(Files(first.cd).front().startsWith(QLatin1String("new.txt 3 ")));
    EXPECT_THROW(Scan(folder, {}, 99), Exception);

    test::ExecuteSql(catalogue_, QStringLiteral("DELETE FROM CD WHERE ID = %1").arg(first.cd));
    EXPECT_EQ(Snapshot(), QStringList(QStringLiteral("1typed by hand/0/0/0/0")));
}

TEST_F(DiscTest, AutorunLabelAndIconBecomeASoftwareEntryWithItsPicture) {
    const QString folder = Path(QStringLiteral("disc"));
    WriteTestFile(
        folder, QStringLiteral("AUTORUN.INF"),
        QByteArray("[AutoRun]\r\nopen=setup.exe\r\nlabel=Paint Shop 5\r\nicon=art\\paint.ico,0\r\n"));
    // A 1x1 icon: the directory, one entry, a 32-bit DIB with its AND mask.
    QByteArray icon =
        QByteArray::fromHex("000001000100010100000000200030000000160000002800000001000000020000000100"
                            "20000000000000000000000000000000000000000000000000000000FF0000FF00000000");
    WriteTestFile(folder, QStringLiteral("art/paint.ico"), icon);
    const TScanResult result = Scan(folder);
    EXPECT_EQ(result.softwareName, QStringLiteral("Paint Shop 5"));
    EXPECT_EQ(test::SqlColumn(catalogue_, QStringLiteral("SELECT Name || ' ' || CDID FROM SOFTWARE")),
              QStringList(QStringLiteral("Paint Shop 5 %1").arg(result.cd)));
    EXPECT_TRUE(QFileInfo::exists(result.picture)) << result.picture.toStdString();
}

struct TFindCase {
    const char* text;
    QStringList paths;
};

class FindTest : public DiscTest, public ::testing::WithParamInterface<TFindCase> {};

TEST_P(FindTest, MatchesAnyPartOfThePathIgnoringCaseAndAccents) {
    const QString folder = Path(QStringLiteral("disc"));
    for (const char* name :
         {"Setup/SETUP.EXE", "Äpfel/Grüße.txt", "odd/[x]*?.txt", "odd/100%_done.txt", "ab"})
        WriteTestFile(folder, QString::fromUtf8(name), QByteArray("x"));
    Scan(folder);
    QStringList found;
    for (const TFoundFile& file : FindFiles(*connection_, QString::fromUtf8(GetParam().text), 100))
        found << file.path;
    found.sort();
    EXPECT_EQ(found, GetParam().paths);
}

INSTANTIATE_TEST_SUITE_P(Discs, FindTest,
                         ::testing::Values(TFindCase{"setup.exe", {QStringLiteral("Setup/SETUP.EXE")}},
                                           TFindCase{"APFEL/GRUSSE", {}},
                                           TFindCase{"APFEL/GRÜ", {QString::fromUtf8("Äpfel/Grüße.txt")}},
                                           TFindCase{"grüß", {QString::fromUtf8("Äpfel/Grüße.txt")}},
                                           TFindCase{"[x]*?", {QStringLiteral("odd/[x]*?.txt")}},
                                           TFindCase{"%_", {QStringLiteral("odd/100%_done.txt")}},
                                           TFindCase{"b", {QStringLiteral("ab")}}, TFindCase{"absent", {}}));

TEST_F(DiscTest, VerifyListsEveryKindOfDifference) {
    QM_REQUIRE_XORRISO();
    const QString folder = Path(QStringLiteral("disc"));
    for (const char* name : {"same", "changed", "resized", "gone"})
        WriteTestFile(folder, QString::fromLatin1(name), QByteArray(200000, name[0]));
    const QString image = Path(QStringLiteral("disc.iso"));
    test::MakeIsoImage(folder, image, QStringLiteral("V"));
    const qint64 cd = Scan(image).cd;
    EXPECT_TRUE(VerifyDisc(*connection_, cd, image).empty());

    WriteTestFile(folder, QStringLiteral("changed"), QByteArray(200000, 'x'));
    WriteTestFile(folder, QStringLiteral("resized"), QByteArray(10, 'r'));
    WriteTestFile(folder, QStringLiteral("added"), QByteArray("new"));
    QFile::remove(QDir(folder).filePath(QStringLiteral("gone")));
    QStringList listed;
    for (const TDifference& difference : VerifyDisc(*connection_, cd, folder))
        listed << DifferenceName(difference.kind) + u' ' + difference.path;
    EXPECT_EQ(listed, QStringList({QStringLiteral("added added"), QStringLiteral("changed changed"),
                                   QStringLiteral("missing gone"), QStringLiteral("changed resized")}));

    // A disc that stops reading part way: what could not be read is unreadable, not missing.
    QFile::resize(image, FileBytes(image).indexOf(QByteArray(4096, 'r')) + 1000);
    listed.clear();
    for (const TDifference& difference : VerifyDisc(*connection_, cd, image))
        listed << DifferenceName(difference.kind);
    EXPECT_FALSE(listed.isEmpty());
    EXPECT_EQ(listed.count(QStringLiteral("unreadable")), listed.size()) << listed.join(u',').toStdString();
    EXPECT_THROW(VerifyDisc(*connection_, cd, Path(QStringLiteral("nowhere"))), EDiscSource);
}

TEST_F(DiscTest, CommandsPrintTheirLinesAndExitCodes) {
    const QString folder = Path(QStringLiteral("disc"));
    WriteTestFile(folder, QStringLiteral("Tools/setup.exe"), QByteArray("MZ"));
    const QString work = Path(QStringLiteral("work"));
    ASSERT_TRUE(QDir().mkpath(work));
    const auto run = [&](const QStringList& arguments) {
        return test::RunProgramIn(QStringLiteral(QM_QUILLMERE), arguments, work, {});
    };
    const test::ToolRun scan =
        run({QStringLiteral("scan"), QStringLiteral("--name"), QStringLiteral("Tools 1"), folder});
    EXPECT_EQ(scan.exitCode, 0) << scan.err.toStdString();
    EXPECT_EQ(scan.out, QStringLiteral("CD 1 'Tools 1': 1 files, 0.0 MB\n"));
    EXPECT_EQ(run({QStringLiteral("find"), QStringLiteral("SETUP")}).out,
              QStringLiteral("Tools 1\tTools/setup.exe\t2\n"));
    EXPECT_EQ(run({QStringLiteral("verify"), QStringLiteral("--cd"), QStringLiteral("1"), folder}).exitCode,
              0);

    WriteTestFile(folder, QStringLiteral("Tools/setup.exe"), QByteArray("PE"));
    const test::ToolRun changed =
        run({QStringLiteral("verify"), QStringLiteral("--cd"), QStringLiteral("1"), folder});
    EXPECT_EQ(changed.exitCode, 1);
    EXPECT_EQ(changed.out, QStringLiteral("changed\tTools/setup.exe\n"));
    const QString nowhere = Path(QStringLiteral("nowhere"));
    EXPECT_EQ(run({QStringLiteral("verify"), QStringLiteral("--cd"), QStringLiteral("1"), nowhere}).exitCode,
              2);
    const test::ToolRun refused = run({QStringLiteral("scan"), nowhere});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(nowhere)) << refused.err.toStdString();
}

TEST_F(DiscTest, ExportAndImportCarryTheDiscRecordLosslessly) {
    const QString folder = Path(QStringLiteral("disc"));
    WriteTestFile(folder, QStringLiteral("Äpfel/\"quoted\", line.txt"), QByteArray("x"));
    WriteTestFile(folder, QStringLiteral("plain.txt"), QByteArray());
    const QString work = Path(QStringLiteral("work"));
    ASSERT_TRUE(QDir().mkpath(work));
    const auto runIn = [](const QString& where, const QStringList& arguments) {
        const test::ToolRun run = test::RunProgramIn(QStringLiteral(QM_QUILLMERE), arguments, where, {});
        EXPECT_EQ(run.exitCode, 0) << arguments.join(u' ').toStdString() << ": " << run.err.toStdString();
        return run.out;
    };
    runIn(work, {QStringLiteral("scan"), folder});
    const QString record =
        QStringLiteral("SELECT (SELECT group_concat(CDID || Label || Source || Files || Bytes || "
                       "Scanned, '|') FROM DISCS) || '/' || (SELECT group_concat(ID || ',' || "
                       "CDID || Path || Size || ifnull(Modified, 'NULL') || Hash, '|') FROM FILES)");
    const QStringList original = test::SqlColumn(QDir(work).filePath(QStringLiteral("swdb.mdb")), record);
    for (const char* name : {"csv", "json"}) {
        const QString format = QLatin1String(name);
        const QString out = Path(QStringLiteral("out-") + format);
        const QString copy = Path(QStringLiteral("copy-") + format);
        ASSERT_TRUE(QDir().mkpath(copy));
        runIn(work, {QStringLiteral("export"), QStringLiteral("--format"), format, out});
        runIn(copy, {QStringLiteral("import"), QStringLiteral("--format"), format, out});
        EXPECT_EQ(test::SqlColumn(QDir(copy).filePath(QStringLiteral("swdb.mdb")), record), original);
        EXPECT_TRUE(
            runIn(copy, {QStringLiteral("find"), QStringLiteral("APFEL")}).contains(QLatin1String("quoted")))
            << format.toStdString();
    }
}

} // namespace
} // namespace qm
