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

std::optional<qint64> ParseID(const QString& text) {
    bool ok = false;
    const qint64 id = text.toLongLong(&ok);
    return ok && id > 0 ? std::optional<qint64>(id) : std::nullopt;
}

struct TDiscArguments {
    QString name;
    qint64 cd = 0;
    bool software = false;
    QStringList rest;
};

// --name NAME, --cd ID and --software where `command` takes them; empty after a usage error.
std::optional<TDiscArguments> ParseDiscArguments(const QString& command, const QStringList& arguments,
                                                 const QStringList& allowed) {
    TDiscArguments parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!argument.startsWith(QLatin1String("--")) || argument == QLatin1String("--")) {
            parsed.rest << arguments.mid(argument == QLatin1String("--") ? i + 1 : i);
            break;
        }
        if (!allowed.contains(argument)) {
            UsageError(QStringLiteral("%1 does not know the option '%2'").arg(command, argument));
            return std::nullopt;
        }
        if (argument == QLatin1String("--software")) {
            parsed.software = true;
            continue;
        }
        if (i + 1 >= arguments.size()) {
            UsageError(QStringLiteral("%1 wants a value after %2").arg(command, argument));
            return std::nullopt;
        }
        const QString& value = arguments[++i];
        if (argument == QLatin1String("--name")) {
            parsed.name = value;
            continue;
        }
        const std::optional<qint64> id = ParseID(value);
        if (!id) {
            UsageError(QStringLiteral("'%1' is not a CD's ID").arg(value));
            return std::nullopt;
        }
        parsed.cd = *id;
    }
    return parsed;
}

QString Megabytes(qint64 bytes) {
    return QString::number(static_cast<double>(bytes) / 1e6, 'f', 1);
}

} // namespace

int RunScanCommand(const QStringList& arguments) {
    const auto parsed =
        ParseDiscArguments(QStringLiteral("scan"), arguments,
                           {QStringLiteral("--name"), QStringLiteral("--cd"), QStringLiteral("--software")});
    if (!parsed)
        return kExitUsage;
    if (parsed->rest.size() != 1)
        return UsageError(QStringLiteral("scan reads one folder or disc image"));
    try {
        const auto connection = OpenDiscCatalogue(true);
        const TScanResult result = ScanDisc(*connection, {parsed->rest.front(), parsed->name, parsed->cd,
                                                          parsed->software, QStringLiteral("pictures")});
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

int RunFindCommand(const QStringList& arguments) {
    if (arguments.size() != 1 || arguments.front().isEmpty())
        return UsageError(QStringLiteral("find looks for one text"));
    try {
        const auto connection = OpenDiscCatalogue(false);
        for (const TFoundFile& file : FindFiles(*connection, arguments.front(), kFindLimit))
            PrintLine(QStringLiteral("%1\t%2\t%3").arg(file.cdName, file.path).arg(file.size));
        return kExitOk;
    } catch (const std::exception& error) {
        PrintError(QString::fromUtf8(error.what()));
        return kExitFailed;
    }
}

int RunVerifyCommand(const QStringList& arguments) {
    const auto parsed = ParseDiscArguments(QStringLiteral("verify"), arguments, {QStringLiteral("--cd")});
    if (!parsed)
        return kExitUsage;
    if (parsed->cd == 0 || parsed->rest.size() != 1)
        return UsageError(QStringLiteral("verify compares one CD (--cd ID) with one folder or disc image"));
    try {
        const auto connection = OpenDiscCatalogue(false);
        if (CDName(*connection, parsed->cd).isNull())
            throw Exception(QStringLiteral("There is no CD with the ID %1").arg(parsed->cd).toStdString());
        const std::vector<TDifference> differences =
            VerifyDisc(*connection, parsed->cd, parsed->rest.front());
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
