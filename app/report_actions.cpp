#include "app/report_actions.h"

#include "app/tform1.h"
#include "app/transfer_runs.h"
#include "framework/controls/application.h"
#include "framework/core/exceptions.h"
#include "framework/data/sqlite_connection.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace qm {

namespace {

const QString kPdfFilter = QStringLiteral("PDF document (*.pdf)");
const QString kHtmlFilter = QStringLiteral("Web page (*.html *.htm)");

// The report is made from the rows as the file holds them: a row still being typed is posted first.
void PostEdits(TForm1& form) {
    form.Browsing.PostPendingEdits();
    if (form.State().DescriptionModified)
        form.SaveDescription();
}

} // namespace

TReportActions::TReportActions(TForm1& form) : QObject(&form), form_(form) {
    // Shortcuts of letters no specified item uses (Ctrl+P is Popups, Ctrl+E is Exit).
    FilePrint =
        AddAction("FilePrint", QStringLiteral("Print…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    FileExportReport =
        AddAction("FileExportReport", QStringLiteral("Export Report…"), QKeySequence(Qt::CTRL | Qt::Key_R));
    FileExport =
        AddAction("FileExport", QStringLiteral("Export…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    FileImport =
        AddAction("FileImport", QStringLiteral("Import…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));
    HelpStatistics =
        AddAction("HelpStatistics", QStringLiteral("Statistics"), QKeySequence(Qt::CTRL | Qt::Key_T));

    Ui::TForm1& ui = form.Ui();
    ui.MenuFile->insertActions(ui.Exit1, {FilePrint, FileExportReport});
    ui.MenuFile->insertSeparator(ui.Exit1);
    ui.MenuFile->insertActions(ui.Exit1, {FileExport, FileImport});
    ui.MenuFile->insertSeparator(ui.Exit1);
    ui.MenuHelp->insertAction(ui.About1, HelpStatistics);

    connect(FilePrint, &QAction::triggered, this, Guarded(this, &TReportActions::FilePrintExecute));
    connect(FileExportReport, &QAction::triggered, this,
            Guarded(this, &TReportActions::FileExportReportExecute));
    connect(FileExport, &QAction::triggered, this, Guarded(this, &TReportActions::FileExportExecute));
    connect(FileImport, &QAction::triggered, this, Guarded(this, &TReportActions::FileImportExecute));
    connect(HelpStatistics, &QAction::triggered, this, Guarded(this, &TReportActions::HelpStatisticsExecute));
}

QAction* TReportActions::AddAction(const char* name, const QString& text, const QKeySequence& shortcut) {
    auto* action = new QAction(text, &form_);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

void TReportActions::WithShownRows(const std::function<void(TReportModel&)>& use) {
    PostEdits(form_);
    TSQLiteConnection connection(form_.Data().DatabaseFile(), TOpenMode::omReadOnly);
    TReportModel model(connection, form_.Data().ADOQuerySoftware.SQL());
    use(model);
}

void TReportActions::FilePrintExecute() {
    QPrinter printer(QPrinter::HighResolution);
    auto* preview = new QPrintPreviewDialog(&printer, &form_);
    preview->setObjectName(QStringLiteral("PrintPreview"));
    preview->setAttribute(Qt::WA_DeleteOnClose);
    connect(preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        RunGuarded([&] { WithShownRows([&](TReportModel& model) { PaintReport(model, *target, {}); }); });
    });
    preview->exec();
}

void TReportActions::FileExportReportExecute() {
    QString filter = kPdfFilter;
    QString fileName = QFileDialog::getSaveFileName(&form_, QStringLiteral("Export Report"), QString(),
                                                    kPdfFilter + QStringLiteral(";;") + kHtmlFilter, &filter);
    if (fileName.isEmpty())
        return;
    std::optional<TReportFormat> format = ReportFormatOfFile(fileName);
    if (!format) {
        format = filter == kHtmlFilter ? TReportFormat::rfHtml : TReportFormat::rfPdf;
        fileName += *format == TReportFormat::rfHtml ? QStringLiteral(".html") : QStringLiteral(".pdf");
    }
    ExportReport(fileName, *format);
}

void TReportActions::ExportReport(const QString& fileName, TReportFormat format) {
    QProgressDialog progress(QStringLiteral("Writing the report…"), QStringLiteral("Cancel"), 0, 0, &form_);
    progress.setObjectName(QStringLiteral("ReportProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    TReportOptions options;
    options.progress = [&progress](qint64 done, qint64 total) {
        progress.setMaximum(static_cast<int>(std::min<qint64>(total, INT_MAX)));
        progress.setValue(static_cast<int>(std::min<qint64>(done, INT_MAX)));
        return !progress.wasCanceled();
    };
    WithShownRows([&](TReportModel& model) {
        try {
            WriteReportFile(model, fileName, format, options);
        } catch (const EAbort&) {
            // Cancelled: the file stays as it was, which the user asked for.
        }
    });
}

void TReportActions::HelpStatisticsExecute() {
    PostEdits(form_);
    TSQLiteConnection connection(form_.Data().DatabaseFile(), TOpenMode::omReadOnly);
    const TReportModel model(connection, kWholeCatalogueStatement);
    auto* dialog = new QDialog(&form_);
    dialog->setObjectName(QStringLiteral("Statistics"));
    dialog->setWindowTitle(QStringLiteral("Statistics"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* text = new QTextBrowser(dialog);
    text->setObjectName(QStringLiteral("StatisticsText"));
    text->setHtml(TotalsHtml(model.Totals()));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(text);
    layout->addWidget(buttons);
    dialog->resize(420, 480);
    dialog->open();
}

namespace {

// How long a transfer runs before its progress shows, and how often the window is drawn meanwhile.
constexpr qint64 kShowProgressAfterMs = 400;
constexpr qint64 kProgressIntervalMs = 50;

// Runs a transfer on the GUI thread behind a progress dialog that counts the rows moved. The window
// is drawn on meanwhile; its controls wait behind the dialog, so nothing else reaches the file.
// Cancel stops the transfer, which leaves the catalogue and the folder's files as they were; false
// then.
bool WithTransferProgress(QWidget* parent, const QString& title,
                          const std::function<void(const TTransferWatch&)>& transfer, TTransferWatch watch) {
    QProgressDialog progress(title + QStringLiteral("…"), QStringLiteral("Cancel"), 0, 0, parent);
    progress.setObjectName(QStringLiteral("TransferProgress"));
    progress.setWindowTitle(title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setMinimumDuration(INT_MAX); // shown below, once the transfer proves long
    QElapsedTimer running;
    running.start();
    qint64 drawnMs = -kProgressIntervalMs;
    watch.progress = [&](qint64 rows) {
        if (running.elapsed() - drawnMs < kProgressIntervalMs)
            return;
        drawnMs = running.elapsed();
        if (drawnMs >= kShowProgressAfterMs && !progress.isVisible())
            progress.show();
        progress.setLabelText(QStringLiteral("%1… %2 rows").arg(title, QLocale().toString(rows)));
        // Until the dialog stands in front of the window, the window's controls get nothing.
        QCoreApplication::processEvents(progress.isVisible() ? QEventLoop::AllEvents
                                                             : QEventLoop::ExcludeUserInputEvents);
        if (progress.wasCanceled())
            throw EAbort("cancelled");
    };
    try {
        transfer(watch);
    } catch (const EAbort&) {
        return false;
    }
    return true;
}

// The format chooser of both transfers: "csv" or "json", empty when the user cancels.
QString AskTransferFormat(QWidget* parent, const QString& title) {
    bool chosen = false;
    const QString format =
        QInputDialog::getItem(parent, title, QStringLiteral("Format:"),
                              {QStringLiteral("csv"), QStringLiteral("json")}, 0, false, &chosen);
    return chosen ? format : QString();
}

} // namespace

void TReportActions::FileExportExecute() {
    const QString format = AskTransferFormat(&form_, QStringLiteral("Export"));
    if (format.isEmpty())
        return;
    const QString folder = QFileDialog::getExistingDirectory(&form_, QStringLiteral("Export into folder"));
    if (folder.isEmpty())
        return;
    ExportTo(folder, format);
}

void TReportActions::ExportTo(const QString& folder, const QString& format) {
    PostEdits(form_);
    QStringList counts;
    if (!WithTransferProgress(&form_, QStringLiteral("Export"),
                              [&](const TTransferWatch& watch) {
                                  counts =
                                      ExportCatalogueFile(form_.Data().DatabaseFile(), folder, format, watch);
                              },
                              {}))
        return;
    QMessageBox::information(&form_, QStringLiteral("Export"), counts.join(u'\n'));
}

void TReportActions::FileImportExecute() {
    const QString format = AskTransferFormat(&form_, QStringLiteral("Import"));
    if (format.isEmpty())
        return;
    const QString folder = QFileDialog::getExistingDirectory(&form_, QStringLiteral("Import from folder"));
    if (folder.isEmpty())
        return;
    ImportFrom(folder, format);
}

void TReportActions::ImportFrom(const QString& folder, const QString& format) {
    PostEdits(form_);
    QStringList counts;
    if (!WithTransferProgress(&form_, QStringLiteral("Import"),
                              [&](const TTransferWatch& watch) {
                                  counts = ImportIntoEmptyCatalogue(form_.Data().DatabaseFile(), folder,
                                                                    format, watch);
                              },
                              {{}, &form_.Data().History}))
        return;
    // The imported rows appear as after a fresh start: every table reopened, the whole Software table.
    TCatalogueData& data = form_.Data();
    for (TQuery* query : {&data.ADOQueryCD, &data.ADOQueryCategory, &data.ADOQueryType}) {
        query->Close();
        query->Open();
    }
    Ui::TForm1& ui = form_.Ui();
    for (TDBGrid* grid : {ui.DBGridCD, ui.DBGridCategory, ui.DBGridType})
        form_.Browsing.ApplyTableColumnWidths(*grid);
    ui.TabControl->setCurrentIndex(0);
    ui.OptionsClearSearchmask->trigger();
    QMessageBox::information(&form_, QStringLiteral("Import"), counts.join(u'\n'));
}

void AddReportActions(TForm1& form) {
    new TReportActions(form);
}

} // namespace qm
