#pragma once
// Writers of the catalogue report: HTML (one self-contained file, thumbnails inline) and pages
// painted on any paged device, which is a PDF file here and a printer in the window. Both show the
// totals first and then every entry under its CD, making one thumbnail at a time.

#include "catalogue/report/report_model.h"

#include <QString>
#include <functional>
#include <optional>

class QIODevice;
class QPagedPaintDevice;

namespace qm {

enum class TReportFormat { rfPdf, rfHtml };

std::optional<TReportFormat> ReportFormatNamed(const QString& name); // "pdf", "html"
// The format a file name's extension asks for (.htm and .html are HTML), else none.
std::optional<TReportFormat> ReportFormatOfFile(const QString& fileName);

struct TReportOptions {
    QString title = QStringLiteral("Software catalogue");
    // Told after every entry; answering false stops the report, which then raises EAbort.
    std::function<bool(qint64 done, qint64 total)> progress;
};

// The totals as an HTML fragment of headed tables: the report's first page and the Statistics
// window show the same.
QString TotalsHtml(const TReportTotals& totals);

void WriteHtmlReport(TReportModel& model, QIODevice& out, const TReportOptions& options);
// Paints on a device whose painter has not begun; A4 pages unless the device was set up before.
void PaintReport(TReportModel& model, QPagedPaintDevice& device, const TReportOptions& options);
// Writes `fileName` whole or leaves what was there: a failure raises qm::Exception naming the file.
void WriteReportFile(TReportModel& model, const QString& fileName, TReportFormat format,
                     const TReportOptions& options);

} // namespace qm
