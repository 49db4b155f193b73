#pragma once
// TForm1: the main window. It builds its components from the form description Unit1, owns the data
// module and the handler sets, and keeps the window's life cycle, options and layout.
//
// Handler sets. The event handlers of one subsystem form a class of their own (TBrowsing in
// catalogue/browsing.h is the model to follow). Its constructor takes the window's components
// (Ui::TForm1&), the data module (TCatalogueData&) and the window's remembered state
// (TMainWindowState&), and connects the signals it handles; it keeps nothing that outlives the
// window. TForm1 owns each set as a member declared after Ui, Data and State, so the sets are built
// after and destroyed before what they use: adding a set is one member line below.
//
// Where the state lives: the nine saved search texts and DescriptionModified are the members of
// TMainWindowState (catalogue/main_window_state.h), owned here as State; SaveDescription below
// writes the memo through qm::SaveDescription of the same header, which the handler sets call too.

#include "app/input_handling.h"
#include "app/undo_redo.h"
#include "catalogue/browsing.h"
#include "catalogue/db/catalogue_data.h"
#include "catalogue/edit_rules.h"
#include "catalogue/id_cells.h"
#include "catalogue/id_popups.h"
#include "catalogue/main_window_state.h"
#include "catalogue/search.h"
#include "pictures/picture_pane.h"
#include "ui_Unit1.h"

#include <QIcon>
#include <QMainWindow>
#include <array>
#include <memory>

class QDialog;
class QKeyEvent;
class QTimer;
class QToolButton;

namespace qm {

class THelpViewer;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kImageCount = 18;

    // Opens (or creates) the catalogue `databaseFile`; a file that is not a catalogue raises
    // qm::Exception and no window is made.
    explicit TForm1(const QString& databaseFile, QWidget* parent = nullptr);
    ~TForm1() override;

    Ui::TForm1& Ui() { return *ui_; }
    TCatalogueData& Data() { return *data_; }
    TMainWindowState& State() { return state_; }
    QTimer* Timer1() const { return timer1_; }
    const QIcon& Image(int index) const { return imageList1_.at(static_cast<size_t>(index)); }
    // The toolbar button of an action, named like the button of the form description.
    QToolButton* ToolButton(QAction* action) const;

    void FormCreate();
    void FormShow();
    void FormClose();
    void SaveDescription();

    void FormResize();
    void Timer1Timer();
    void PanelLeftResize();

    void FileExitExecute();
    void OptionsPopupsExecute();
    void OptionsConfirmationsExecute();
    void OptionsShowHintsExecute();
    void OptionsEnableMultipleselectExecute();
    void OptionsWordWrapDescriptionExecute();
    void HelpQuillmereHelpExecute();
    // Shows the About dialog modally, once start-up has handed it over.
    void HelpAboutExecute();
    void SetAboutDialog(QDialog* info) { info_ = info; }

    // Brings the window to the front when another start of the program asks for it.
    void BringToFront();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void LoadImageList();
    void SetUpToolBar();
    void SetUpOptionImages();
    void RouteMenuItems();
    void ConnectActions();
    void BindDataControls();
    void SetGridOption(TDBGridOption option, bool on);
    void SetPanelLeftWidth(int width);
    void MatchHiddenPages();
    bool IsMenuShortcut(const QKeyEvent& key) const;
    static bool KeepsOwnUndo(const QObject* watched, const QKeyEvent& key);
    void CentreOnScreen();

    // Member order is construction order: the data module first (a catalogue that cannot be
    // opened stops here), then the components, the state, and the handler sets that use them.
    std::unique_ptr<TCatalogueData> data_;
    std::unique_ptr<Ui::TForm1> ui_;
    TMainWindowState state_;
    std::array<QIcon, kImageCount> imageList1_;
    QTimer* timer1_;
    THelpViewer* helpViewer_ = nullptr;
    QDialog* info_ = nullptr;
    bool centred_ = false;
    // The user has been told once that closing could not post a pending edit.
    bool closeRefused_ = false;

public:
    // Handler sets.
    TBrowsing Browsing;
    TSearch Search;
    TIDPopups IDPopups;
    TIDCells IDCells;
    TEditRules EditRules;
    TInputHandling InputHandling;
    TPicturePane Pictures;
    TUndoRedo UndoRedo;
};

} // namespace qm
