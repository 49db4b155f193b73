#include "app/tform1.h"

#include "app/anchors.h"
#include "app/disc_menu.h"
#include "app/form_resources.h"
#include "app/help_viewer.h"
#include "app/report_actions.h"
#include "catalogue/db/software_query.h"
#include "framework/controls/application.h"
#include "framework/controls/dbgrid.h"
#include "framework/controls/dbmemo.h"
#include "framework/controls/dbnavigator.h"
#include "framework/controls/statusbar.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <utility>

namespace qm {

namespace {

std::unique_ptr<Ui::TForm1> SetUpForm(QMainWindow* window) {
    PrepareFormResources();
    auto ui = std::make_unique<Ui::TForm1>();
    ui->setupUi(window);
    return ui;
}

// Toolbar buttons of the form description: action, button name, image at start.
struct TToolBarButton {
    QAction* Ui::TForm1::*action;
    const char* name;
};

constexpr TToolBarButton kToolBarButtons[] = {
    {&Ui::TForm1::OptionsPopups, "TBPopup"},
    {&Ui::TForm1::OptionsConfirmations, "TBConfirmations"},
    {&Ui::TForm1::OptionsOrderTable, "TBOrder"},
    {&Ui::TForm1::OptionsShowHints, "TBHints"},
    {&Ui::TForm1::OptionsEnableMultipleselect, "TBMultipleselect"},
    {&Ui::TForm1::OptionsClearSearchmask, "TBClear"},
    {&Ui::TForm1::OptionsWordWrapDescription, "TBWordWrapDescription"},
    {&Ui::TForm1::HelpQuillmereHelp, "TBHelp"},
    {&Ui::TForm1::HelpAbout, "TBAbout"},
};

// An option's menu item holds its state; the toolbar shows the image of that state.
struct TOptionImages {
    QAction* Ui::TForm1::*item;
    QAction* Ui::TForm1::*action;
    int imageOn;
    int imageOff;
};

constexpr TOptionImages kOptionImages[] = {
    {&Ui::TForm1::PopUps, &Ui::TForm1::OptionsPopups, 0, 1},
    {&Ui::TForm1::Confirmations1, &Ui::TForm1::OptionsConfirmations, 2, 3},
    {&Ui::TForm1::OrderTableSoftwareByPrimaryKey, &Ui::TForm1::OptionsOrderTable, 4, 5},
    {&Ui::TForm1::ShowHints1, &Ui::TForm1::OptionsShowHints, 6, 7},
    {&Ui::TForm1::EnableMultipleselect1, &Ui::TForm1::OptionsEnableMultipleselect, 8, 9},
    {&Ui::TForm1::WordWrapDescription1, &Ui::TForm1::OptionsWordWrapDescription, 16, 17},
};

// Images of the buttons whose action is not an option.
struct TFixedImage {
    QAction* Ui::TForm1::*action;
    int image;
};

constexpr TFixedImage kFixedImages[] = {
    {&Ui::TForm1::OptionsClearSearchmask, 10},
    {&Ui::TForm1::HelpQuillmereHelp, 12},
    {&Ui::TForm1::HelpAbout, 14},
};

// Menu items and the actions they run.
struct TMenuRoute {
    QAction* Ui::TForm1::*item;
    QAction* Ui::TForm1::*action;
};

constexpr TMenuRoute kMenuRoutes[] = {
    {&Ui::TForm1::Exit1, &Ui::TForm1::FileExit},
    {&Ui::TForm1::PopUps, &Ui::TForm1::OptionsPopups},
    {&Ui::TForm1::Confirmations1, &Ui::TForm1::OptionsConfirmations},
    {&Ui::TForm1::OrderTableSoftwareByPrimaryKey, &Ui::TForm1::OptionsOrderTable},
    {&Ui::TForm1::ShowHints1, &Ui::TForm1::OptionsShowHints},
    {&Ui::TForm1::EnableMultipleselect1, &Ui::TForm1::OptionsEnableMultipleselect},
    {&Ui::TForm1::ClearallFields1, &Ui::TForm1::OptionsClearSearchmask},
    {&Ui::TForm1::WordWrapDescription1, &Ui::TForm1::OptionsWordWrapDescription},
    {&Ui::TForm1::QuillmereHelp1, &Ui::TForm1::HelpQuillmereHelp},
    {&Ui::TForm1::About1, &Ui::TForm1::HelpAbout},
};

// The Software grid's fixed columns and their widths in the form description.
const QStringList kSoftwareColumns = {QStringLiteral("Name"), QStringLiteral("CDID"),
                                      QStringLiteral("CategoryID"), QStringLiteral("TypeID"),
                                      QStringLiteral("Keywords")};
constexpr int kSoftwareColumnWidths[] = {151, 40, 40, 39, 83};

const char* const kShowHintProperty = "ShowHint";

// Wide enough for the labels and a few letters of each mask field.
constexpr int kPanelLeftMinimumWidth = 160;

} // namespace

TForm1::TForm1(const QString& databaseFile, QWidget* parent)
    : QMainWindow(parent), data_(std::make_unique<TCatalogueData>(databaseFile)), ui_(SetUpForm(this)),
      timer1_(new QTimer(this)), Browsing(*ui_, *data_, state_), Search(*ui_, *data_, state_, Browsing),
      IDPopups(*ui_, *data_, state_), IDCells(*ui_, *data_, state_), EditRules(*ui_, *data_, state_),
      InputHandling(*ui_, *data_, state_, Browsing), Pictures(*ui_, data_->ADOQuerySoftware, *this),
      UndoRedo(*this, *ui_, *data_, state_, Browsing) {
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(1);
    LoadImageList();
    SetUpToolBar();
    SetUpOptionImages();
    RouteMenuItems();
    ConnectActions();
    AddReportActions(*this);
    BindDataControls();
    // Filters run newest first: the anchors must place the left panel's children before
    // PanelLeftResize measures the grids, so this filter goes in before them.
    ui_->PanelLeft->installEventFilter(this);
    InstallAnchors(this);
    ui_->Splitter1->setStretchFactor(0, 0);
    ui_->Splitter1->setStretchFactor(1, 1);
    // The splitter never hides the search mask and the tables.
    ui_->Splitter1->setChildrenCollapsible(false);
    ui_->PanelLeft->setMinimumWidth(kPanelLeftMinimumWidth);
    // Menu shortcuts are looked at before any control's own key binding.
    QCoreApplication::instance()->installEventFilter(this);
    connect(timer1_, &QTimer::timeout, this, Guarded(this, &TForm1::Timer1Timer));

    resize(minimumSize());
    if (const QScreen* screen = this->screen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, minimumSize(),
                                        screen->availableGeometry()));
    AddDiscMenuItems(*this);
    FormCreate();
}

TForm1::~TForm1() {
    // The components go before the data module, whose queries still signal the grids while they
    // close; those events must not reach this window's filters, which read the components.
    QCoreApplication::instance()->removeEventFilter(this);
    ui_->PanelLeft->removeEventFilter(this);
}

QToolButton* TForm1::ToolButton(QAction* action) const {
    return qobject_cast<QToolButton*>(ui_->ToolBar1->widgetForAction(action));
}

void TForm1::LoadImageList() {
    for (int i = 0; i < kImageCount; ++i)
        imageList1_[static_cast<size_t>(i)] =
            QIcon(QStringLiteral(":/toolbar/%1.png").arg(i, 2, 10, QLatin1Char('0')));
}

void TForm1::SetUpToolBar() {
    // Buttons 23 pixels apart and an 8 pixel separator, whatever the style's spacing.
    ui_->ToolBar1->layout()->setSpacing(0);
    for (QAction* action : ui_->ToolBar1->actions())
        if (action->isSeparator())
            ui_->ToolBar1->widgetForAction(action)->setFixedWidth(8);
    for (const TToolBarButton& button : kToolBarButtons) {
        QToolButton* widget = ToolButton((*ui_).*button.action);
        widget->setObjectName(QString::fromLatin1(button.name));
        widget->setFixedSize(23, 22);
        widget->setProperty(kShowHintProperty, true);
        widget->installEventFilter(this);
    }
    for (const TFixedImage& fixed : kFixedImages)
        ((*ui_).*fixed.action)->setIcon(Image(fixed.image));
}

void TForm1::SetUpOptionImages() {
    for (const TOptionImages& option : kOptionImages) {
        QAction* item = (*ui_).*option.item;
        QAction* action = (*ui_).*option.action;
        const auto showState = [this, action, option](bool on) {
            action->setIcon(Image(on ? option.imageOn : option.imageOff));
        };
        showState(item->isChecked());
        connect(item, &QAction::toggled, this, showState);
    }
}

void TForm1::RouteMenuItems() {
    for (const TMenuRoute& route : kMenuRoutes) {
        QAction* item = (*ui_).*route.item;
        QAction* action = (*ui_).*route.action;
        // Qt flips a checkable item's mark before it reports the click, but the option's action
        // decides the new state itself: undo the flip, then run the action.
        connect(item, &QAction::triggered, action, [item, action] {
            if (item->isCheckable())
                item->setChecked(!item->isChecked());
            action->trigger();
        });
    }
}

void TForm1::ConnectActions() {
    connect(ui_->FileExit, &QAction::triggered, this, Guarded(this, &TForm1::FileExitExecute));
    connect(ui_->OptionsPopups, &QAction::triggered, this, Guarded(this, &TForm1::OptionsPopupsExecute));
    connect(ui_->OptionsConfirmations, &QAction::triggered, this,
            Guarded(this, &TForm1::OptionsConfirmationsExecute));
    connect(ui_->OptionsShowHints, &QAction::triggered, this,
            Guarded(this, &TForm1::OptionsShowHintsExecute));
    connect(ui_->OptionsEnableMultipleselect, &QAction::triggered, this,
            Guarded(this, &TForm1::OptionsEnableMultipleselectExecute));
    connect(ui_->OptionsWordWrapDescription, &QAction::triggered, this,
            Guarded(this, &TForm1::OptionsWordWrapDescriptionExecute));
    connect(ui_->HelpQuillmereHelp, &QAction::triggered, this,
            Guarded(this, &TForm1::HelpQuillmereHelpExecute));
    connect(ui_->HelpAbout, &QAction::triggered, this, Guarded(this, &TForm1::HelpAboutExecute));
}

void TForm1::BindDataControls() {
    Ui::TForm1& ui = *ui_;
    TCatalogueData& data = *data_;
    ui.DBGridSoftware->SetDataSet(&data.ADOQuerySoftware);
    ui.DBGridSoftware->SetColumns(kSoftwareColumns);
    for (int column = 0; column < kSoftwareColumns.size(); ++column)
        ui.DBGridSoftware->setColumnWidth(column, kSoftwareColumnWidths[column]);
    ui.DBGridCD->SetDataSet(&data.ADOQueryCD);
    ui.DBGridCategory->SetDataSet(&data.ADOQueryCategory);
    ui.DBGridType->SetDataSet(&data.ADOQueryType);
    ui.DBGridCD2->SetDataSet(&data.ADOQueryCD2);
    ui.DBGridCategory2->SetDataSet(&data.ADOQueryCategory2);
    ui.DBGridType2->SetDataSet(&data.ADOQueryType2);
    ui.DBNavigatorSoftware->SetDataSet(&data.ADOQuerySoftware);
    ui.DBNavigatorCD->SetDataSet(&data.ADOQueryCD);
    ui.DBNavigatorCategory->SetDataSet(&data.ADOQueryCategory);
    ui.DBNavigatorType->SetDataSet(&data.ADOQueryType);
    ui.DBMemoDescription->SetDataSet(&data.ADOQuerySoftware, QStringLiteral("Description"));
    for (auto [navigator, grid] :
         {std::pair{ui.DBNavigatorSoftware, ui.DBGridSoftware}, std::pair{ui.DBNavigatorCD, ui.DBGridCD},
          std::pair{ui.DBNavigatorCategory, ui.DBGridCategory}, std::pair{ui.DBNavigatorType, ui.DBGridType}})
        connect(navigator, &TDBNavigator::Inserted, grid, &TDBGrid::EditNewRow);
    ui.DBMemoDescription->SetWordWrap(ui.WordWrapDescription1->isChecked());
}

// Life cycle

void TForm1::FormCreate() {
    state_ = TMainWindowState{};
}

void TForm1::FormShow() {
    ui_->EditSearch->setFocus();
    Browsing.EnablePicturePane(); // the Software page's colours
    Browsing.LayoutSoftwareColumns();
    Browsing.RefreshLookupLists(true);
    Browsing.RunSoftwareQuery(QString::fromLatin1(kAllSoftwareStatement));
    ui_->StatusBar1->SetPanelText(0, QString::number(data_->ADOQuerySoftware.RecordCount()));
    Pictures.ShowStartupPicture();
}

void TForm1::FormClose() {
    if (state_.DescriptionModified)
        SaveDescription();
    Browsing.PostPendingEdits();
}

void TForm1::SaveDescription() {
    qm::SaveDescription(state_, data_->ADOQuerySoftware, ui_->DBMemoDescription->toPlainText());
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Should a pending post fail, the window stays open with the edit in place and the user sees
    // why; closing once more after being told closes.
    event->ignore();
    try {
        FormClose();
    } catch (...) {
        if (!std::exchange(closeRefused_, true))
            throw;
    }
    event->accept();
}

bool TForm1::event(QEvent* event) {
    // The frame the window manager puts around the window is known only once it is shown.
    if (event->type() == QEvent::WindowActivate && !centred_) {
        centred_ = true;
        CentreOnScreen();
    }
    return QMainWindow::event(event);
}

void TForm1::CentreOnScreen() {
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft()); // a window's position is its frame's
    }
}

void TForm1::BringToFront() {
    raise();
    activateWindow();
}

// Layout

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && isActiveWindow() &&
        IsMenuShortcut(*static_cast<QKeyEvent*>(event)) &&
        !KeepsOwnUndo(watched, *static_cast<QKeyEvent*>(event))) {
        event->ignore(); // the control does not claim the key: the shortcut runs
        return true;
    }
    if (watched == ui_->PanelLeft && event->type() == QEvent::Resize)
        PanelLeftResize();
    if (event->type() == QEvent::ToolTip && watched->property(kShowHintProperty) == false)
        return true;
    return QMainWindow::eventFilter(watched, event);
}

// A text field undoes its own typing; the catalogue's Undo is then in the Edit menu.
bool TForm1::KeepsOwnUndo(const QObject* watched, const QKeyEvent& key) {
    const bool textField =
        qobject_cast<const QLineEdit*>(watched) || qobject_cast<const QPlainTextEdit*>(watched);
    return textField &&
           (key.matches(QKeySequence::Undo) || key.matches(QKeySequence::Redo) ||
            QKeySequence(key.keyCombination()) == QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
}

bool TForm1::IsMenuShortcut(const QKeyEvent& key) const {
    const QKeySequence pressed(key.keyCombination());
    const QList<QAction*> actions = findChildren<QAction*>();
    return std::any_of(actions.begin(), actions.end(), [&pressed](const QAction* action) {
        return !action->shortcut().isEmpty() && action->shortcut() == pressed;
    });
}

void TForm1::FormResize() {
    timer1_->start();
}

void TForm1::Timer1Timer() {
    const int outerWidth = frameGeometry().width();
    SetPanelLeftWidth(outerWidth / 3 * 2 - 26);
    timer1_->stop();
    if (QWidget* page = ui_->TabControl->currentWidget())
        page->layout()->activate();
}

void TForm1::SetPanelLeftWidth(int width) {
    QSplitter& splitter = *ui_->Splitter1;
    const int available = splitter.width() - splitter.handleWidth();
    splitter.setSizes({width, std::max(0, available - width)});
}

void TForm1::PanelLeftResize() {
    MatchHiddenPages();
    Browsing.LayoutSoftwareColumns();
    Browsing.ApplyTableColumnWidths(*ui_->DBGridCD);
    Browsing.ApplyTableColumnWidths(*ui_->DBGridCategory);
    Browsing.ApplyTableColumnWidths(*ui_->DBGridType);
}

// The pages of the tab control share one size, but Qt lays out only the page on show; give the
// hidden pages the shown page's size so that their grids can be measured and sized.
void TForm1::MatchHiddenPages() {
    const QWidget* shown = ui_->TabControl->currentWidget();
    for (int i = 0; i < ui_->TabControl->count(); ++i) {
        QWidget* page = ui_->TabControl->widget(i);
        if (page == shown)
            continue;
        page->setGeometry(shown->geometry());
        page->layout()->setGeometry(page->rect());
    }
}

// Actions

void TForm1::FileExitExecute() {
    close();
}

void TForm1::OptionsPopupsExecute() {
    ui_->PopUps->setChecked(!ui_->PopUps->isChecked());
}

void TForm1::OptionsConfirmationsExecute() {
    const bool on = !ui_->Confirmations1->isChecked();
    ui_->Confirmations1->setChecked(on);
    SetGridOption(dgConfirmDelete, on);
}

void TForm1::OptionsShowHintsExecute() {
    const bool on = !ui_->ShowHints1->isChecked();
    for (TDBNavigator* navigator :
         {ui_->DBNavigatorSoftware, ui_->DBNavigatorCD, ui_->DBNavigatorCategory, ui_->DBNavigatorType})
        navigator->SetShowHint(on);
    for (const TToolBarButton& button : kToolBarButtons)
        ToolButton((*ui_).*button.action)->setProperty(kShowHintProperty, on);
    ui_->ShowHints1->setChecked(on);
}

void TForm1::OptionsEnableMultipleselectExecute() {
    const bool on = !ui_->EnableMultipleselect1->isChecked();
    SetGridOption(dgMultiSelect, on);
    ui_->EnableMultipleselect1->setChecked(on);
}

void TForm1::OptionsWordWrapDescriptionExecute() {
    const bool on = !ui_->WordWrapDescription1->isChecked();
    ui_->DBMemoDescription->SetWordWrap(on);
    ui_->WordWrapDescription1->setChecked(on);
}

// Reads each grid's option set, changes the one option and assigns the whole set back.
void TForm1::SetGridOption(TDBGridOption option, bool on) {
    for (TDBGrid* grid : {ui_->DBGridSoftware, ui_->DBGridCD, ui_->DBGridCategory, ui_->DBGridType}) {
        TDBGridOptions options = grid->Options();
        options.setFlag(option, on);
        grid->SetOptions(options);
    }
}

void TForm1::HelpQuillmereHelpExecute() {
    if (helpViewer_ == nullptr)
        helpViewer_ = new THelpViewer(this);
    helpViewer_->ShowContents();
}

void TForm1::HelpAboutExecute() {
    if (info_ != nullptr)
        info_->exec();
}

} // namespace qm
