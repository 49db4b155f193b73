#include "app/undo_redo.h"

#include "catalogue/browsing.h"
#include "catalogue/db/catalogue_data.h"
#include "catalogue/main_window_state.h"
#include "framework/controls/application.h"
#include "framework/controls/statusbar.h"
#include "ui_Unit1.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>

namespace qm {

TUndoRedo::TUndoRedo(QMainWindow& window, Ui::TForm1& ui, TCatalogueData& data, TMainWindowState& state,
                     TBrowsing& browsing)
    : QObject(&window), ui_(ui), data_(data), state_(state), browsing_(browsing) {
    auto* menu = new QMenu(QStringLiteral("&Edit"), &window);
    menu->setObjectName(QStringLiteral("MenuEdit"));
    window.menuBar()->insertMenu(ui_.MenuOptions->menuAction(), menu);
    undo_ = menu->addAction(QStringLiteral("Undo"));
    undo_->setObjectName(QStringLiteral("EditUndo"));
    undo_->setShortcut(QKeySequence::Undo);
    redo_ = menu->addAction(QStringLiteral("Redo"));
    redo_->setObjectName(QStringLiteral("EditRedo"));
    redo_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    connect(undo_, &QAction::triggered, this, Guarded(this, &TUndoRedo::EditUndoExecute));
    connect(redo_, &QAction::triggered, this, Guarded(this, &TUndoRedo::EditRedoExecute));
    connect(&data_.History, &TChangeHistory::changed, this, &TUndoRedo::UpdateActions);
    connect(&data_.History, &TChangeHistory::applied, this, &TUndoRedo::ShowFile);
    connect(&data_.History, &TChangeHistory::forgotten, this, [&window](const QString& step) {
        QMessageBox::information(
            &window, QStringLiteral("Undo"),
            QStringLiteral("\"%1\" changed more than Undo can keep: it cannot be undone, "
                           "and neither can what was done before it.")
                .arg(step));
    });
    UpdateActions();
}

void TUndoRedo::EditUndoExecute() {
    PostTyping();
    data_.History.Undo();
}

void TUndoRedo::EditRedoExecute() {
    PostTyping();
    data_.History.Redo();
}

// What is typed but not posted is a step of its own, made before the one asked for is taken back.
void TUndoRedo::PostTyping() {
    if (state_.DescriptionModified)
        SaveDescription(state_, data_.ADOQuerySoftware, ui_.DBMemoDescription->toPlainText());
    browsing_.PostPendingEdits();
}

void TUndoRedo::UpdateActions() {
    const QString undo = data_.History.UndoName();
    const QString redo = data_.History.RedoName();
    undo_->setText(undo.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo %1").arg(undo));
    redo_->setText(redo.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo %1").arg(redo));
    undo_->setEnabled(!undo.isEmpty());
    redo_->setEnabled(!redo.isEmpty());
}

void TUndoRedo::ShowFile() {
    for (TQuery* query :
         {&data_.ADOQuerySoftware, &data_.ADOQueryCD, &data_.ADOQueryCategory, &data_.ADOQueryType})
        query->Requery();
    browsing_.RefreshLookupLists(false);
    ui_.StatusBar1->SetPanelText(0, QString::number(data_.ADOQuerySoftware.RecordCount()));
}

} // namespace qm
