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
    TReportArguments parsed;
    QStringList outputs;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString value;
        if (arguments[i] == QLatin1String("--format") && i + 1 < arguments.size())
            value = arguments[++i];
        else if (arguments[i].startsWith(QLatin1String("--format=")))
            value = arguments[i].mid(9);
        else if (arguments[i].startsWith(QLatin1String("--"))) {
            UsageError(QStringLiteral("report does not know the option '%1'").arg(arguments[i]));
            return std::nullopt;
        } else {
            outputs << arguments[i];
            continue;
        }
        parsed.format = ReportFormatNamed(value);
        if (!parsed.format) {
            UsageError(QStringLiteral("the format '%1' is neither pdf nor html").arg(value));
            return std::nullopt;
        }
    }
    if (outputs.size() != 1) {
        UsageError(QStringLiteral("report writes one file"));
        return std::nullopt;
    }
    parsed.output = outputs.front();
    if (!parsed.format)
        parsed.format = ReportFormatOfFile(parsed.output).value_or(TReportFormat::rfPdf);
    return parsed;
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
        WriteReportFile(model, parsed->output, *parsed->format, {});
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
