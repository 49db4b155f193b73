#include "app/disc_menu.h"

#include "app/tform1.h"
#include "catalogue/table_pages.h"
#include "discs/window/disc_window.h"
#include "framework/controls/application.h"
#include "framework/controls/statusbar.h"
#include "framework/data/change_history.h"
#include "framework/data/sqlite_connection.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalBlocker>

namespace qm {

namespace {

// Not taken by any entry of the menus or the grids.
const QKeySequence kFindFileShortcut(Qt::CTRL | Qt::SHIFT | Qt::Key_F);

QString CatalogueFile(TForm1& form) {
    return form.Data().ADOQueryCD.DatabaseFile();
}

// A folder (a mounted disc) or an image file; empty when the user cancels.
QString ChooseDiscSource(QWidget* parent, const QString& title) {
    QMessageBox ask(QMessageBox::Question, title,
                    QStringLiteral("Read a mounted disc's folder or a disc image?"), QMessageBox::Cancel,
                    parent);
    QPushButton* folder = ask.addButton(QStringLiteral("Folder…"), QMessageBox::AcceptRole);
    QPushButton* image = ask.addButton(QStringLiteral("Image…"), QMessageBox::AcceptRole);
    ask.exec();
    if (ask.clickedButton() == folder)
        return QFileDialog::getExistingDirectory(parent, title);
    if (ask.clickedButton() == image)
        return QFileDialog::getOpenFileName(parent, title, {},
                                            QStringLiteral("Disc images (*.iso *.img);;All files (*)"));
    return {};
}

const QString kScanTitle = QStringLiteral("Scan Disc");

// Runs the work in the progress dialog; false when it failed (after saying why) or was cancelled.
bool RunWithProgress(TForm1& form, const QString& title, const TDiscWorkDialog::TWork& work) {
    TDiscWorkDialog dialog(title, work, &form);
    if (dialog.exec() == QDialog::Accepted)
        return true;
    if (!dialog.Error().isEmpty())
        QMessageBox::warning(&form, title, dialog.Error());
    return false;
}

void ScanDiscExecute(TForm1& form) {
    const QString source = ChooseDiscSource(&form, kScanTitle);
    if (!source.isEmpty())
        ScanDiscFrom(form, source);
}

void VerifyDiscExecute(TForm1& form) {
    const QString title = QStringLiteral("Verify Disc");
    const QVariant current = form.Data().ADOQueryCD.FieldByName(QStringLiteral("ID"));
    bool chosen = false;
    const int cd = QInputDialog::getInt(&form, title, QStringLiteral("ID of the CD to verify:"),
                                        current.toInt(), 1, std::numeric_limits<int>::max(), 1, &chosen);
    if (!chosen)
        return;
    const QString source = ChooseDiscSource(&form, title);
    if (source.isEmpty())
        return;
    const QString file = CatalogueFile(form);
    std::vector<TDifference> differences;
    if (!RunWithProgress(form, title, [&](const TDiscReadOptions& options) {
            TSQLiteConnection connection(file, TOpenMode::omReadOnly);
            if (CDName(connection, cd).isNull())
                throw Exception(QStringLiteral("There is no CD with the ID %1").arg(cd).toStdString());
            differences = VerifyDisc(connection, cd, source, options);
        }))
        return;
    QMessageBox report(QMessageBox::Information, title,
                       differences.empty() ? QStringLiteral("The disc reads back as it was recorded.")
                                           : QStringLiteral("%1 differences.").arg(differences.size()),
                       QMessageBox::Ok, &form);
    QStringList lines;
    for (const TDifference& difference : differences)
        lines << DifferenceName(difference.kind) + u'\t' + difference.path;
    report.setDetailedText(lines.join(u'\n'));
    report.exec();
}

void FindFileExecute(TForm1& form) {
    auto* dialog = form.findChild<TFindFileDialog*>(QStringLiteral("FindFile"));
    if (dialog == nullptr) {
        dialog = new TFindFileDialog(CatalogueFile(form), &form);
        QObject::connect(dialog, &TFindFileDialog::ShowCDRequested, &form,
                         [&form](qint64 cd) { RunGuarded([&] { ShowCDOnCDPage(form, cd); }); });
    }
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    dialog->EditFindFile()->setFocus();
}

QAction* AddEntry(TForm1& form, const char* name, const QString& text, void (*handler)(TForm1&)) {
    auto* action = new QAction(text, &form);
    action->setObjectName(QLatin1String(name));
    QObject::connect(action, &QAction::triggered, &form,
                     [&form, handler] { RunGuarded([&] { handler(form); }); });
    form.Ui().MenuFile->insertAction(form.Ui().Exit1, action);
    return action;
}

} // namespace

void AddDiscMenuItems(TForm1& form) {
    PrepareDiscTables(CatalogueFile(form));
    AddEntry(form, "FileScanDisc", QStringLiteral("Scan Disc…"), ScanDiscExecute);
    AddEntry(form, "FileVerifyDisc", QStringLiteral("Verify Disc…"), VerifyDiscExecute);
    AddEntry(form, "FileFindFile", QStringLiteral("Find File"), FindFileExecute)
        ->setShortcut(kFindFileShortcut);
    form.Ui().MenuFile->insertSeparator(form.Ui().Exit1);
}

void ScanDiscFrom(TForm1& form, const QString& source) {
    const QString file = CatalogueFile(form);
    const QString pictures = QFileInfo(file).absoluteDir().filePath(QStringLiteral("pictures"));
    TChangeHistory& history = form.Data().History;
    // The scan and the Software entry made from its autorun.inf are one step of Undo, recorded on
    // the connection that writes both (the scan's part on the work's thread, while this waits).
    TSQLiteConnection connection(file, TOpenMode::omReadWrite);
    const TRecordedChange change(connection, history);
    TScanResult result;
    if (!RunWithProgress(form, kScanTitle, [&](const TDiscReadOptions& options) {
            result = ScanDisc(connection, {source, {}, 0, false, pictures}, options);
        }))
        return;
    const QString step = QStringLiteral("Scan '%1'").arg(result.name);
    QByteArray changes = change.Changeset();
    if (!result.softwareName.isEmpty() &&
        QMessageBox::question(
            &form, kScanTitle,
            QStringLiteral("The disc's autorun.inf names the program \"%1\". Add it as a Software "
                           "entry?")
                .arg(result.softwareName)) == QMessageBox::Yes) {
        try {
            InTransaction(connection, [&] { AddDiscSoftware(connection, result, pictures); });
        } catch (...) {
            // The record still holds what the rollback took back: the step is the scan alone.
            history.Record(step, changes);
            throw;
        }
        changes = change.Changeset();
    }
    history.Record(step, changes);
    ShowCDOnCDPage(form, result.cd);
    form.Ui().StatusBar1->SetPanelText(1, QStringLiteral("%1 files, %2 MB")
                                              .arg(result.files)
                                              .arg(static_cast<double>(result.bytes) / 1e6, 0, 'f', 1));
}

void ShowCDOnCDPage(TForm1& form, qint64 cd) {
    form.Browsing.PostPendingEdits();
    {
        const QSignalBlocker blocker(form.Ui().TabControl);
        form.Ui().TabControl->setCurrentIndex(TablePage(TCatalogueTable::ctCD).page);
    }
    form.Browsing.ActivateTableTab(TCatalogueTable::ctCD, false);
    form.Browsing.DisablePicturePane();
    // The query shows the rows of its last opening; a CD made since is read in again.
    TQuery& query = form.Data().ADOQueryCD;
    query.Close();
    query.Open();
    const int id = query.FieldIndex(QStringLiteral("ID"));
    for (int row = 0; row < query.RecordCount(); ++row)
        if (query.Value(row, id).toLongLong() == cd) {
            query.MoveTo(row);
            break;
        }
    form.Ui().StatusBar1->SetPanelText(0, QString::number(query.RecordCount()));
}

} // namespace qm
