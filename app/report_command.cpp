// report: the whole catalogue of the current folder as a PDF or HTML report, without a display.
#include "app/command_line.h"
#include "catalogue/report/report_writers.h"
#include "framework/data/sqlite_connection.h"
#include "gif/gif_graphic_binding.h"

#include <QFileInfo>
#include <QGuiApplication>

namespace qm {

namespace {

struct TReportArguments {
    std::optional<TReportFormat> format;
    QString output;
};

// [--format pdf|html] OUT; an empty optional after a usage error has been printed.
std::optional<TReportArguments> ParseReportArguments(const QStringList& arguments) {
    const auto parsed =
        ParseFormatArguments(QStringLiteral("report"), arguments, &ReportFormatNamed, "pdf nor html");
    if (!parsed)
        return std::nullopt;
    if (parsed->second.size() != 1) {
        UsageError(QStringLiteral("report writes one file"));
        return std::nullopt;
    }
    const QString output = parsed->second.front();
    return TReportArguments{parsed->first ? parsed->first : ReportFormatOfFile(output), output};
}

} // namespace

int RunReportCommand(int argc, char** argv) {
    // Painting text needs a platform with fonts, not a screen: the report is made off screen
    // whatever display there is or is not.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const std::optional<TReportArguments> parsed = ParseReportArguments(application.arguments().mid(2));
    if (!parsed)
        return kExitUsage;
    try {
        InitializeGIFImage();
        const auto connection = OpenExistingCatalogue();
        TReportModel model(*connection, kWholeCatalogueStatement);
        WriteReportFile(model, parsed->output, parsed->format.value_or(TReportFormat::rfPdf), {});
        std::printf(
            "%s: %lld entries on %lld CDs\n", QFileInfo(parsed->output).fileName().toLocal8Bit().constData(),
            static_cast<long long>(model.Totals().entries), static_cast<long long>(model.Groups().size()));
        return kExitOk;
    } catch (const std::exception& error) {
        PrintError(QString::fromUtf8(error.what()));
        return kExitFailed;
    }
}

} // namespace qm
