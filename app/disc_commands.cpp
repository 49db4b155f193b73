// scan, find and verify: what is on the CDs of the current folder's catalogue.
#include "app/catalogue_backup.h"
#include "app/command_line.h"
#include "catalogue/db/catalogue_schema.h"
#include "discs/disc_catalogue.h"
#include "framework/data/sqlite_connection.h"

#include <QFileInfo>
#include <cstdio>

namespace qm {

namespace {

// Files shown by `find`: enough for any search a person reads through.
constexpr int kFindLimit = 100000;

// The catalogue of this folder with the disc tables, opened for writing; `create` makes a new one
// when there is none.
std::unique_ptr<TSQLiteConnection> OpenDiscCatalogue(bool create) {
    const bool exists = QFileInfo::exists(kCatalogueFile);
    if (!exists && !create)
        throw Exception(
            QStringLiteral("there is no catalogue '%1' in this folder").arg(kCatalogueFile).toStdString());
    PrepareCatalogueFile(kCatalogueFile);
    if (exists)
        ArmCatalogueBackup(kCatalogueFile);
    PrepareDiscTables(kCatalogueFile);
    return std::make_unique<TSQLiteConnection>(kCatalogueFile, TOpenMode::omReadWrite);
}

void PrintLine(const QString& line) {
    std::fputs(line.toUtf8().append('\n').constData(), stdout);
}

QString Megabytes(qint64 bytes) {
    return QString::number(static_cast<double>(bytes) / 1e6, 'f', 1);
}

} // namespace

int RunScanCommand(const TCommandArguments& arguments) {
    if (arguments.Operands().size() != 1)
        return arguments.Refuse(QStringLiteral("scan reads one folder or disc image"));
    try {
        const auto connection = OpenDiscCatalogue(true);
        const TScanResult result = ScanDisc(
            *connection, {arguments.Operands().front(), arguments.Value(QStringLiteral("name")),
                          arguments.IsSet(QStringLiteral("cd")) ? arguments.Number(QStringLiteral("cd")) : 0,
                          arguments.IsSet(QStringLiteral("software")), QStringLiteral("pictures")});
        QString line = QStringLiteral("CD %1 '%2': %3 files, %4 MB")
                           .arg(result.cd)
                           .arg(result.name)
                           .arg(result.files)
                           .arg(Megabytes(result.bytes));
        if (result.software != 0)
            line += QStringLiteral(", Software %1 '%2'").arg(result.software).arg(result.softwareName);
        PrintLine(line);
        return kExitOk;
    } catch (const std::exception& error) {
        PrintError(QString::fromUtf8(error.what()));
        return kExitFailed;
    }
}

int RunFindCommand(const TCommandArguments& arguments) {
    if (arguments.Operands().size() != 1 || arguments.Operands().front().isEmpty())
        return arguments.Refuse(QStringLiteral("find looks for one text"));
    try {
        const auto connection = OpenDiscCatalogue(false);
        for (const TFoundFile& file : FindFiles(*connection, arguments.Operands().front(), kFindLimit))
            PrintLine(QStringLiteral("%1\t%2\t%3").arg(file.cdName, file.path).arg(file.size));
        return kExitOk;
    } catch (const std::exception& error) {
        PrintError(QString::fromUtf8(error.what()));
        return kExitFailed;
    }
}

int RunVerifyCommand(const TCommandArguments& arguments) {
    if (arguments.Operands().size() != 1)
        return arguments.Refuse(
            QStringLiteral("verify compares one CD (--cd ID) with one folder or disc image"));
    const qint64 cd = arguments.Number(QStringLiteral("cd"));
    try {
        const auto connection = OpenDiscCatalogue(false);
        if (CDName(*connection, cd).isNull())
            throw Exception(QStringLiteral("There is no CD with the ID %1").arg(cd).toStdString());
        const std::vector<TDifference> differences =
            VerifyDisc(*connection, cd, arguments.Operands().front());
        for (const TDifference& difference : differences)
            PrintLine(DifferenceName(difference.kind) + u'\t' + difference.path);
        return differences.empty() ? kExitOk : kExitFailed;
    } catch (const std::exception& error) {
        // Nothing was compared: the source, the catalogue or the CD could not be read.
        PrintError(QString::fromUtf8(error.what()));
        return kExitUsage;
    }
}

} // namespace qm
