#pragma once
// TUndoRedo: the Edit menu's Undo and Redo over the catalogue's change history. Every post and
// delete of the four tables, an import and a disc scan is a step; undoing one puts the file back
// as it was before it, and the window shows the file again (grids, look-up lists, row count,
// picture). A step too large to keep is told to the user, since the history starts afresh.

#include <QObject>

class QAction;
class QMainWindow;

namespace Ui {
class TForm1;
}

namespace qm {

class TBrowsing;
class TCatalogueData;
struct TMainWindowState;

class TUndoRedo : public QObject {
    Q_OBJECT
public:
    // Adds the Edit menu after the File menu of `window`.
    TUndoRedo(QMainWindow& window, Ui::TForm1& ui, TCatalogueData& data, TMainWindowState& state,
              TBrowsing& browsing);

    QAction* UndoAction() const { return undo_; }
    QAction* RedoAction() const { return redo_; }
    void EditUndoExecute();
    void EditRedoExecute();

private:
    void PostTyping();
    void UpdateActions();
    void ShowFile();

    Ui::TForm1& ui_;
    TCatalogueData& data_;
    TMainWindowState& state_;
    TBrowsing& browsing_;
    QAction* undo_;
    QAction* redo_;
};

} // namespace qm
