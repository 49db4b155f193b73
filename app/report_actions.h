#pragma once
// The main window's report, totals and transfer entries beside the specified menu items: File →
// "Print…", "Export Report…", "Export…", "Import…" and Help → "Statistics". The report covers the
// Software rows the window shows (its current search and sort); the totals and the transfers the
// whole catalogue.

#include "catalogue/report/report_writers.h"

#include <QObject>

class QAction;

namespace qm {

class TForm1;

class TReportActions : public QObject {
    Q_OBJECT
public:
    explicit TReportActions(TForm1& form);

    QAction* FilePrint;
    QAction* FileExportReport;
    QAction* FileExport;
    QAction* FileImport;
    QAction* HelpStatistics;

    // Opens the print preview of the report, whose printer button asks for the printer.
    void FilePrintExecute();
    // Asks for a PDF or HTML file and writes the report into it, with a progress dialog.
    void FileExportReportExecute();
    // Shows the totals of the whole catalogue in a window of their own.
    void HelpStatisticsExecute();
    // Ask for a format and a folder, then do what `quillmere export` and `import` do, with a
    // progress dialog whose Cancel leaves everything as it was. An import is one step of Undo.
    void FileExportExecute();
    void FileImportExecute();

    // What the entries do once the file or folder is chosen.
    void ExportReport(const QString& fileName, TReportFormat format);
    void ExportTo(const QString& folder, const QString& format);
    void ImportFrom(const QString& folder, const QString& format);

private:
    QAction* AddAction(const char* name, const QString& text, const QKeySequence& shortcut);
    // The model of what the window shows now, on a reading connection of its own.
    void WithShownRows(const std::function<void(TReportModel&)>& use);

    TForm1& form_;
};

// Adds the entries to the window's menus; the window owns them.
void AddReportActions(TForm1& form);

} // namespace qm
