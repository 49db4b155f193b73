// export and import: the four tables of the current folder's catalogue as CSV or JSON files.
#include "app/catalogue_backup.h"
#include "app/command_line.h"
#include "app/single_instance.h"
#include "app/transfer_runs.h"
#include "catalogue/db/catalogue_schema.h"
#include "catalogue/transfer/catalogue_transfer.h"
#include "framework/core/exceptions.h"
#include "jet/jet_database.h"

#include <QFile>
#include <QFileInfo>

namespace qm {

namespace {

std::vector<std::pair<QString, qint64>> Named(const TTableCounts& counts) {
    std::vector<std::pair<QString, qint64>> named;
    for (size_t t = 0; t < counts.size(); ++t)
        named.emplace_back(CatalogueTables()[t].name, counts[t]);
    return named;
}

} // namespace

std::unique_ptr<TSQLiteConnection> OpenExistingCatalogue() {
    if (!QFileInfo::exists(kCatalogueFile))
        throw Exception(
            QStringLiteral("there is no catalogue '%1' in this folder").arg(kCatalogueFile).toStdString());
    if (LooksLikeJetFile(kCatalogueFile))
        throw Exception(
            QStringLiteral("'%1' is a Jet database; convert it first with: quillmere import-jet --replace %1")
                .arg(kCatalogueFile)
                .toStdString());
    auto connection = std::make_unique<TSQLiteConnection>(kCatalogueFile, TOpenMode::omReadOnly);
    QString problem;
    try {
        problem = CatalogueSchemaProblem(*connection);
    } catch (const EDatabaseError& error) {
        problem = QString::fromUtf8(error.what());
    }
    if (!problem.isEmpty())
        throw Exception(QStringLiteral("The file '%1' is not a software catalogue: %2")
                            .arg(kCatalogueFile, problem)
                            .toStdString());
    return connection;
}

int RunExportCommand(const TCommandArguments& arguments) {
    if (arguments.Operands().size() > 1)
        return arguments.Refuse(QStringLiteral("export writes into one folder"));
    try {
        const auto connection = OpenExistingCatalogue();
        const auto format = static_cast<TTransferFormat>(arguments.Choice(QStringLiteral("format")));
        PrintCounts(
            Named(ExportCatalogue(*connection, arguments.Operands().value(0, QStringLiteral(".")), format)));
        return kExitOk;
    } catch (const std::exception& error) {
        PrintError(QString::fromUtf8(error.what()));
        return kExitFailed;
    }
}

int RunImportCommand(const TCommandArguments& arguments) {
    if (arguments.Operands().size() != 1)
        return arguments.Refuse(QStringLiteral("import reads from one folder"));
    TCatalogueMarker marker(kCatalogueFile);
    if (!marker.TryAcquire()) {
        PrintError(QStringLiteral("Quillmere is running; close it before importing into its catalogue"));
        return kExitFailed;
    }
    const bool created = !QFileInfo::exists(kCatalogueFile);
    try {
        PrepareCatalogueFile(kCatalogueFile);
        if (!created)
            ArmCatalogueBackup(kCatalogueFile);
        const QString format = arguments.Value(QStringLiteral("format")).toLower();
        for (const QString& line :
             ImportIntoEmptyCatalogue(kCatalogueFile, arguments.Operands().front(), format))
            std::printf("%s\n", line.toUtf8().constData());
        return kExitOk;
    } catch (const std::exception& error) {
        if (created)
            QFile::remove(kCatalogueFile);
        PrintError(QString::fromUtf8(error.what()));
        return kExitFailed;
    }
}

} // namespace qm
