// import-jet, and the internal commands of the process that reads a Jet file for it and for the
// conversion at start-up.
#include "app/catalogue_backup.h"
#include "app/command_line.h"
#include "app/jet_conversion.h"
#include "app/single_instance.h"
#include "catalogue/transfer/source_conversion.h"
#include "framework/core/exceptions.h"
#include "jet/jet_database.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace qm {

namespace {

constexpr int kChildNotACatalogue = 3;

void Say(const char* kind, const QString& text) {
    std::printf("%s\t%s\n", kind, text.toUtf8().constData());
    std::fflush(stdout);
}

void SayProgress(const QString& table, qint64 done, qint64 total) {
    std::printf("progress\t%s\t%lld\t%lld\n", table.toUtf8().constData(), static_cast<long long>(done),
                static_cast<long long>(total));
    std::fflush(stdout);
}

// Keeps what --replace is about to replace: a Jet file under a free .jet name, a catalogue as
// its backup copy.
void KeepReplacedFile(const QString& target) {
    if (LooksLikeJetFile(target)) {
        const QString keep = FreeJetKeepName(target);
        if (!QFile::copy(target, keep))
            throw Exception(
                QStringLiteral("The file '%1' cannot be kept as '%2'").arg(target, keep).toStdString());
        std::printf("kept the replaced Jet file as %s\n", keep.toUtf8().constData());
        return;
    }
    BackupCatalogue(target, BackupFileName(target));
    std::printf("kept the replaced catalogue as %s\n", BackupFileName(target).toUtf8().constData());
}

} // namespace

int RunImportJetCommand(const TCommandArguments& arguments) {
    const bool replace = arguments.IsSet(QStringLiteral("replace"));
    if (arguments.Operands().size() != 1)
        return arguments.Refuse(QStringLiteral("import-jet takes one Jet file and, optionally, --replace"));
    const QString jetFile = arguments.Operands().front();
    if (!QFileInfo(jetFile).isFile()) {
        PrintError(QStringLiteral("the file '%1' does not exist").arg(jetFile));
        return kExitFailed;
    }
    TCatalogueMarker marker(kCatalogueFile);
    if (!marker.TryAcquire()) {
        PrintError(QStringLiteral("Quillmere is running or converting already; try again when it has ended"));
        return kExitFailed;
    }
    if (QFileInfo::exists(kCatalogueFile) && !replace) {
        PrintError(
            QStringLiteral("'%1' exists already; give --replace to put the converted catalogue in its place")
                .arg(kCatalogueFile));
        return kExitFailed;
    }
    const QString newFile = ConversionFileName(kCatalogueFile);
    try {
        const TConversionCounts counts = ConvertJetCatalogue(
            QCoreApplication::applicationFilePath(), jetFile, newFile,
            [](const QString& line) { std::fprintf(stderr, "quillmere: %s\n", line.toUtf8().constData()); });
        if (QFileInfo::exists(kCatalogueFile))
            KeepReplacedFile(kCatalogueFile);
        ReplaceFile(newFile, kCatalogueFile);
        PrintCounts(counts);
        return kExitOk;
    } catch (const std::exception& error) {
        QFile::remove(newFile);
        PrintError(QString::fromUtf8(error.what()));
        return kExitFailed;
    }
}

int RunJetChildCommand(const QString& command, const QStringList& arguments) {
    try {
        const TJetDatabase database(arguments.value(0));
        const QString problem = SourceCatalogueProblem(database);
        if (!problem.isEmpty()) {
            Say("problem", QStringLiteral("The Jet database '%1' is not a software catalogue: %2")
                               .arg(arguments.value(0), problem));
            return kChildNotACatalogue;
        }
        if (command == QLatin1String(kJetCheckCommand))
            return kExitOk;
        auto connection = StartNewCatalogue(arguments.value(1));
        const TTableCounts counts = CopySourceCatalogue(database, *connection, SayProgress);
        FinishNewCatalogue(std::move(connection));
        for (size_t t = 0; t < counts.size(); ++t)
            std::printf("count\t%s\t%lld\n", CatalogueTables()[t].name.toUtf8().constData(),
                        static_cast<long long>(counts[t]));
        return kExitOk;
    } catch (const EJetError& error) {
        Say("error", QString::fromUtf8(error.what()));
        return kExitFailed;
    } catch (const std::exception& error) {
        Say("error", QStringLiteral("The Jet database '%1' cannot be converted: %2")
                         .arg(arguments.value(0), QString::fromUtf8(error.what())));
        return kExitFailed;
    }
}

} // namespace qm
