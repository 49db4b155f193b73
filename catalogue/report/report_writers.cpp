#include "catalogue/report/report_writers.h"

#include "framework/core/exceptions.h"

#include <QLocale>
#include <QPdfWriter>
#include <QSaveFile>

namespace qm {

namespace {

QString Cell(const QString& text) {
    return QStringLiteral("<td>%1</td>").arg(text.toHtmlEscaped());
}

QString Number(qint64 value) {
    return QStringLiteral("<td class=\"n\">%1</td>").arg(value);
}

QString CountTable(const QString& heading, const QString& noun, const std::vector<TNamedCount>& counts,
                   bool withFiles) {
    QString html = QStringLiteral("<h3>%1</h3><table><tr><th>%2</th><th>Entries</th>").arg(heading, noun);
    if (withFiles)
        html += QStringLiteral("<th>Files</th><th>Bytes</th>");
    html += QStringLiteral("</tr>");
    for (const TNamedCount& count : counts) {
        html += QStringLiteral("<tr>") + Cell(count.name) + Number(count.entries);
        if (withFiles) {
            html += count.files ? Number(*count.files) : Cell({});
            html += count.bytes ? QStringLiteral("<td class=\"n\">%1 (%2)</td>")
                                      .arg(*count.bytes)
                                      .arg(QLocale::c().formattedDataSize(*count.bytes).toHtmlEscaped())
                                : Cell({});
        }
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

} // namespace

std::optional<TReportFormat> ReportFormatNamed(const QString& name) {
    if (name == QLatin1String("pdf"))
        return TReportFormat::rfPdf;
    if (name == QLatin1String("html"))
        return TReportFormat::rfHtml;
    return std::nullopt;
}

std::optional<TReportFormat> ReportFormatOfFile(const QString& fileName) {
    const QString lower = fileName.toLower();
    if (lower.endsWith(QLatin1String(".pdf")))
        return TReportFormat::rfPdf;
    if (lower.endsWith(QLatin1String(".html")) || lower.endsWith(QLatin1String(".htm")))
        return TReportFormat::rfHtml;
    return std::nullopt;
}

QString TotalsHtml(const TReportTotals& totals) {
    QString html = QStringLiteral("<h2>Totals</h2><table>");
    html += QStringLiteral("<tr><td>Entries</td>") + Number(totals.entries) + QStringLiteral("</tr>");
    html += QStringLiteral("<tr><td>Entries without picture</td>") + Number(totals.withoutPicture) +
            QStringLiteral("</tr>");
    html += QStringLiteral("<tr><td>Entries without description</td>") + Number(totals.withoutDescription) +
            QStringLiteral("</tr></table>");
    html +=
        CountTable(QStringLiteral("Entries per CD"), QStringLiteral("CD"), totals.perCD, totals.discsScanned);
    html += CountTable(QStringLiteral("Entries per category"), QStringLiteral("Category"), totals.perCategory,
                       false);
    html += CountTable(QStringLiteral("Entries per type"), QStringLiteral("Type"), totals.perType, false);
    return html;
}

void WriteReportFile(TReportModel& model, const QString& fileName, TReportFormat format,
                     const TReportOptions& options) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw Exception(QStringLiteral("The report '%1' cannot be written: %2")
                            .arg(fileName, file.errorString())
                            .toStdString());
    if (format == TReportFormat::rfHtml) {
        WriteHtmlReport(model, file, options);
    } else {
        QPdfWriter pdf(&file);
        pdf.setTitle(options.title);
        pdf.setCreator(QStringLiteral("Quillmere"));
        PaintReport(model, pdf, options);
    }
    if (!file.commit())
        throw Exception(QStringLiteral("The report '%1' cannot be written: %2")
                            .arg(fileName, file.errorString())
                            .toStdString());
}

} // namespace qm
