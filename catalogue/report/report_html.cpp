// The HTML report: one file a browser opens alone, written as it goes, well-formed enough for an
// XML reader so that other tools can take it apart.
#include "catalogue/report/report_thumbnail.h"
#include "catalogue/report/report_walk.h"

#include <QBuffer>
#include <QIODevice>
#include <QImageWriter>

namespace qm {

namespace {

const char kStyle[] =
    "body{font-family:sans-serif;margin:2em}"
    "table{border-collapse:collapse;margin-bottom:1em}td,th{border:1px solid #bbb;padding:2px 8px}"
    "td.n{text-align:right}section.cd{page-break-before:always}"
    "article{overflow:hidden;border-top:1px solid #ddd;padding:6px 0}"
    "article img{float:left;margin-right:12px}h3{margin:0}"
    "p{margin:2px 0}.description{white-space:pre-wrap}.problem{color:#a00}";

void Write(QIODevice& out, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    if (out.write(bytes) != bytes.size())
        throw Exception("The report cannot be written: " + out.errorString().toStdString());
}

// JPEG keeps a page of photographs small; where Qt has no JPEG writer the thumbnail goes as PNG.
QString ImageElement(const QImage& image) {
    static const bool jpeg = QImageWriter::supportedImageFormats().contains("jpeg");
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, jpeg ? "JPEG" : "PNG", jpeg ? 80 : -1);
    return QStringLiteral("<img alt=\"\" width=\"%1\" height=\"%2\" src=\"data:image/%3;base64,%4\"/>")
        .arg(image.width())
        .arg(image.height())
        .arg(QLatin1String(jpeg ? "jpeg" : "png"), QString::fromLatin1(encoded.toBase64()));
}

QString Paragraph(const char* cssClass, const QString& label, const QString& text) {
    if (text.isEmpty())
        return {};
    return QStringLiteral("<p class=\"%1\">%2%3</p>")
        .arg(QLatin1String(cssClass), label, text.toHtmlEscaped());
}

QString EntryHtml(const TReportEntry& entry, const TThumbnail& thumbnail) {
    QString html = QStringLiteral("<article>");
    if (!thumbnail.image.isNull())
        html += ImageElement(thumbnail.image);
    html += QStringLiteral("<h3>%1</h3>").arg(entry.name.toHtmlEscaped());
    html += Paragraph("category", QStringLiteral("Category: "), entry.category);
    html += Paragraph("type", QStringLiteral("Type: "), entry.type);
    html += Paragraph("keywords", QStringLiteral("Keywords: "), entry.keywords);
    html += Paragraph("description", {}, entry.description);
    html += Paragraph("problem", {}, thumbnail.problem);
    return html + QStringLiteral("</article>\n");
}

} // namespace

void WriteHtmlReport(TReportModel& model, QIODevice& out, const TReportOptions& options) {
    Write(out, QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"/><title>%1</title>"
                              "<style>%2</style></head><body>\n<h1>%1</h1>\n<section class=\"totals\">")
                   .arg(options.title.toHtmlEscaped(), QLatin1String(kStyle)));
    Write(out, TotalsHtml(model.Totals()) + QStringLiteral("</section>\n"));
    bool open = false;
    WalkReport(
        model, options,
        [&](const TReportGroup& group) {
            Write(out,
                  QStringLiteral("%1<section class=\"cd\"><h2>%2</h2>\n")
                      .arg(open ? QStringLiteral("</section>\n") : QString(), group.title.toHtmlEscaped()));
            open = true;
        },
        [&](const TReportEntry& entry, const TThumbnail& thumbnail) {
            Write(out, EntryHtml(entry, thumbnail));
        });
    Write(out, QStringLiteral("%1</body></html>\n").arg(open ? QStringLiteral("</section>\n") : QString()));
}

} // namespace qm
