// report: the whole catalogue of the current folder as a PDF or HTML report, without a display.
#include "app/command_line.h"
#include "catalogue/report/report_writers.h"
#include "framework/data/sqlite_connection.h"
#include "gif/gif_graphic_binding.h"

#include <QFileInfo>

namespace qm {

int RunReportCommand(const TCommandArguments& arguments) {
    if (arguments.Operands().size() != 1)
        return arguments.Refuse(QStringLiteral("report writes one file"));
    const QString output = arguments.Operands().front();
    const std::optional<TReportFormat> format =
        arguments.IsSet(QStringLiteral("format"))
            ? ReportFormatNamed(arguments.Value(QStringLiteral("format")).toLower())
            : ReportFormatOfFile(output);
    try {
        InitializeGIFImage();
        const auto connection = OpenExistingCatalogue();
        TReportModel model(*connection, kWholeCatalogueStatement);
        WriteReportFile(model, output, format.value_or(TReportFormat::rfPdf), {});
        std::printf("%s: %lld entries on %lld CDs\n", QFileInfo(output).fileName().toLocal8Bit().constData(),
                    static_cast<long long>(model.Totals().entries),
                    static_cast<long long>(model.Groups().size()));
        return kExitOk;
    } catch (const std::exception& error) {
        PrintError(QString::fromUtf8(error.what()));
        return kExitFailed;
    }
}

} // namespace qm
