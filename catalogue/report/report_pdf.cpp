// The paged report: drawn with a painter in points on whatever paged device it is given (a PDF
// file, a printer, a print preview), entries never split across pages.
#include "catalogue/report/report_thumbnail.h"
#include "catalogue/report/report_walk.h"

#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>

namespace qm {

namespace {

constexpr qreal kThumbnailBox = kThumbnailSide / 2.0; // 200 pixels at 144 dpi
constexpr qreal kGap = 8;

QFont Font(qreal size, bool bold = false) {
    QFont font(QStringLiteral("Sans Serif"));
    // Sizes are in the painter's units, which are points: a point size would be scaled twice.
    font.setPixelSize(static_cast<int>(size));
    font.setBold(bold);
    return font;
}

// A painter on a paged device whose units are points, with the place reached on the page.
class TPages {
public:
    explicit TPages(QPagedPaintDevice& device) : device_(device) {
        if (!painter_.begin(&device))
            throw Exception("The report cannot be drawn on its device");
        const qreal scale = device.logicalDpiY() / 72.0;
        painter_.scale(scale, scale);
        width_ = device.width() / scale;
        height_ = device.height() / scale;
    }

    QPainter& Painter() { return painter_; }
    qreal Width() const { return width_; }
    qreal Height() const { return height_; }
    qreal Y() const { return y_; }
    void Advance(qreal height) { y_ += height; }

    // Starts a page unless `height` still fits on this one; true when a page was started.
    bool Reserve(qreal height) {
        if (y_ == 0 || y_ + height <= height_)
            return false;
        if (!device_.newPage())
            throw Exception("The report cannot start a new page");
        y_ = 0;
        return true;
    }

    // A block of text from the left edge `x`, `width` wide; its height, drawn or not.
    qreal Text(qreal x, qreal width, const QString& text, const QFont& font, bool draw,
               int flags = Qt::TextWordWrap, qreal maxHeight = 1e9) {
        if (text.isEmpty())
            return 0;
        painter_.setFont(font);
        const QRectF bounds(x, y_, width, std::min(maxHeight, height_));
        const QRectF needed = painter_.boundingRect(bounds, flags, text);
        const qreal height = std::min(needed.height(), bounds.height());
        if (draw)
            painter_.drawText(QRectF(x, y_, width, height), flags, text);
        return height;
    }

private:
    QPagedPaintDevice& device_;
    QPainter painter_;
    qreal width_ = 0;
    qreal height_ = 0;
    qreal y_ = 0;
};

void Heading(TPages& pages, const QString& text, qreal size) {
    pages.Advance(pages.Text(0, pages.Width(), text, Font(size, true), true) + 4);
}

// One line of a totals table: the name, then right-aligned numbers in fixed columns.
void TotalsRow(TPages& pages, const QStringList& cells, bool bold) {
    const QFont font = Font(9, bold);
    const qreal numberWidth = 90;
    const qreal nameWidth = pages.Width() - numberWidth * (cells.size() - 1);
    const qreal height = pages.Text(0, nameWidth, cells.front(), font, false, Qt::TextSingleLine) + 2;
    if (pages.Reserve(height))
        pages.Advance(0);
    pages.Text(0, nameWidth - 4, cells.front(), font, true, Qt::TextSingleLine);
    for (qsizetype i = 1; i < cells.size(); ++i)
        pages.Text(nameWidth + numberWidth * static_cast<qreal>(i - 1), numberWidth, cells[i], font, true,
                   Qt::AlignRight | Qt::TextSingleLine);
    pages.Advance(height);
}

void CountRows(TPages& pages, const QString& heading, const QString& noun,
               const std::vector<TNamedCount>& counts, bool withFiles) {
    pages.Reserve(60);
    pages.Advance(8);
    Heading(pages, heading, 12);
    QStringList titles{noun, QStringLiteral("Entries")};
    if (withFiles)
        titles << QStringLiteral("Files") << QStringLiteral("Bytes");
    TotalsRow(pages, titles, true);
    for (const TNamedCount& count : counts) {
        QStringList cells{count.name, QString::number(count.entries)};
        if (withFiles)
            cells << (count.files ? QString::number(*count.files) : QString())
                  << (count.bytes ? QLocale::c().formattedDataSize(*count.bytes) : QString());
        TotalsRow(pages, cells, false);
    }
}

void PaintTotals(TPages& pages, const QString& title, const TReportTotals& totals) {
    Heading(pages, title, 18);
    Heading(pages, QStringLiteral("Totals"), 14);
    TotalsRow(pages, {QStringLiteral("Entries"), QString::number(totals.entries)}, false);
    TotalsRow(pages, {QStringLiteral("Entries without picture"), QString::number(totals.withoutPicture)},
              false);
    TotalsRow(pages,
              {QStringLiteral("Entries without description"), QString::number(totals.withoutDescription)},
              false);
    CountRows(pages, QStringLiteral("Entries per CD"), QStringLiteral("CD"), totals.perCD,
              totals.discsScanned);
    CountRows(pages, QStringLiteral("Entries per category"), QStringLiteral("Category"), totals.perCategory,
              false);
    CountRows(pages, QStringLiteral("Entries per type"), QStringLiteral("Type"), totals.perType, false);
}

QString Line(const QString& label, const QString& text) {
    return text.isEmpty() ? QString() : label + text;
}

// The texts of an entry beside its thumbnail, measured or drawn; their height.
qreal EntryTexts(TPages& pages, const TReportEntry& entry, const QString& problem, bool draw) {
    const qreal x = kThumbnailBox + kGap;
    const qreal width = pages.Width() - x;
    const qreal top = pages.Y();
    qreal height = pages.Text(x, width, entry.name, Font(11, true), draw) + 2;
    const QString meta = QStringList{Line(QStringLiteral("Category: "), entry.category),
                                     Line(QStringLiteral("Type: "), entry.type)}
                             .join(QStringLiteral("    "))
                             .trimmed();
    for (const QString& text : {meta, Line(QStringLiteral("Keywords: "), entry.keywords), problem}) {
        pages.Advance(height);
        const qreal lines = pages.Text(x, width, text, Font(9), draw);
        pages.Advance(-height);
        height += lines;
    }
    // A description longer than a page is cut at the page's end rather than run over the next.
    pages.Advance(height);
    height += pages.Text(x, width, entry.description, Font(9), draw, Qt::TextWordWrap,
                         pages.Height() - height - kGap);
    pages.Advance(top - pages.Y());
    return height;
}

void PaintEntry(TPages& pages, const TReportEntry& entry, const TThumbnail& thumbnail,
                const QString& groupTitle) {
    const QSizeF picture = thumbnail.image.size() / 2.0;
    const qreal height =
        std::max(picture.height(), EntryTexts(pages, entry, thumbnail.problem, false)) + kGap;
    if (pages.Reserve(height))
        Heading(pages, groupTitle + QStringLiteral(" (continued)"), 14);
    if (!thumbnail.image.isNull())
        pages.Painter().drawImage(QRectF(QPointF(0, pages.Y()), picture), thumbnail.image);
    EntryTexts(pages, entry, thumbnail.problem, true);
    pages.Advance(height);
}

} // namespace

void PaintReport(TReportModel& model, QPagedPaintDevice& device, const TReportOptions& options) {
    TPages pages(device);
    PaintTotals(pages, options.title, model.Totals());
    QString groupTitle;
    WalkReport(
        model, options,
        [&](const TReportGroup& group) {
            // The totals have their page to themselves; a CD starts where its heading and first
            // entry still fit.
            pages.Reserve(groupTitle.isEmpty() ? pages.Height() + 1 : kThumbnailBox + 40);
            if (!groupTitle.isEmpty() && pages.Y() > 0)
                pages.Advance(16);
            groupTitle = group.title;
            Heading(pages, group.title, 14);
        },
        [&](const TReportEntry& entry, const TThumbnail& thumbnail) {
            PaintEntry(pages, entry, thumbnail, groupTitle);
        });
}

} // namespace qm
