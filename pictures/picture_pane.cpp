#include "pictures/picture_pane.h"

#include "framework/controls/application.h"
#include "framework/controls/image.h"
#include "framework/controls/statusbar.h"
#include "framework/data/query.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/jpeg_image.h"
#include "pictures/open_picture_dialog.h"
#include "pictures/picture_files.h"
#include "pictures/tform2.h"
#include "ui_Unit1.h"

#include <QEvent>
#include <QFileInfo>
#include <QPainter>
#include <QPalette>

namespace qm {

const QString TPicturePane::kPictureFilter = QStringLiteral(
    "All "
    "(*.jpg;*.jpeg;*.gif;*.bmp;*.png;*.webp;*.tif;*.tiff)|*.jpg;*.jpeg;*.gif;*.bmp;*.png;*.webp;*.tif;*.tiff|"
    "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|GIF (*.gif)|*.gif|"
    "PNG (*.png)|*.png|WebP (*.webp)|*.webp|TIFF (*.tif;*.tiff)|*.tif;*.tiff");

namespace {

const QString kPathField = QStringLiteral("Path");

// The display boxes and their handlers.
struct TBoxHandler {
    QCheckBox* Ui::TForm1::*box;
    void (TPicturePane::*handler)();
};

const TBoxHandler kBoxHandlers[] = {
    {&Ui::TForm1::CheckBoxStretch, &TPicturePane::CheckBoxStretchClick},
    {&Ui::TForm1::CheckBoxCenter, &TPicturePane::CheckBoxCenterClick},
    {&Ui::TForm1::CheckBoxAutosize, &TPicturePane::CheckBoxAutosizeClick},
    {&Ui::TForm1::CheckBoxDisable, &TPicturePane::CheckBoxDisableClick},
};

bool FileExists(const QString& path) {
    return QFileInfo(path).isFile();
}

} // namespace

TPicturePane::TPicturePane(Ui::TForm1& ui, TQuery& software, QWidget& window)
    : ui_(ui), software_(software), openPictureDialog1_(new TOpenPictureDialog(&window)) {
    openPictureDialog1_->SetFilter(kPictureFilter);
    // A picture that cannot be read is reported where the move happened, so the query's own
    // navigation is never unwound by it.
    software_.AfterScroll = [this](TQuery&) { RunGuarded([this] { ADOQuerySoftwareAfterScroll(); }); };
    connect(ui_.ButtonAddPicture, &QPushButton::clicked, this,
            Guarded(this, &TPicturePane::ButtonAddPictureClick));
    connect(ui_.ButtonRemove, &QPushButton::clicked, this, Guarded(this, &TPicturePane::ButtonRemoveClick));
    for (const auto& [box, handler] : kBoxHandlers)
        connect(ui_.*box, &QCheckBox::toggled, this, Guarded(this, handler));
    connect(ui_.Image1, &TImage::clicked, this, Guarded(this, &TPicturePane::Image1Click));
    // A new row (Insert, or Down on the last row) is a move like any other: it has no Path, so
    // the previous entry's picture and path must not stay.
    connect(&software_, &TQuery::currentRowChanged, this, [this] {
        if (software_.State() == TDataSetState::dsInsert)
            RunGuarded([this] { ADOQuerySoftwareAfterScroll(); });
    });
    // The cover hides the picture in the button face's colour, wherever the picture control is.
    ui_.PanelHidepicture->setAutoFillBackground(true);
    QPalette cover = ui_.PanelHidepicture->palette();
    cover.setColor(QPalette::Window, cover.color(QPalette::Button));
    ui_.PanelHidepicture->setPalette(cover);
    ui_.PanelHidepicture->raise();
    // An auto-sized picture larger than the box makes the box scroll.
    ui_.Image1->installEventFilter(this);
}

QString TPicturePane::MissingMessage(const QString& path) {
    return QStringLiteral("Picture '") + path + QStringLiteral("' doesn't exist!");
}

bool TPicturePane::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_.Image1 && (event->type() == QEvent::Resize || event->type() == QEvent::Move)) {
        ui_.ScrollBoxPictureClient->resize(ui_.Image1->size());
        ui_.PanelHidepicture->setGeometry(ui_.Image1->geometry());
    }
    return QObject::eventFilter(watched, event);
}

QString TPicturePane::CurrentPath() const {
    return software_.FieldByName(kPathField).toString();
}

void TPicturePane::SetStatus(const QString& text) {
    ui_.StatusBar1->SetPanelText(1, text);
}

void TPicturePane::ClearPicture() {
    attempted_.clear();
    ui_.Image1->Picture().Clear();
}

void TPicturePane::SetDefaultSize() {
    ui_.Image1->resize(kDefaultWidth, kDefaultHeight);
}

void TPicturePane::ShowCurrentPicture() {
    const QString path = CurrentPath();
    if (path.isEmpty()) {
        SetStatus(QString());
        return ClearPicture();
    }
    ShowExistingOrCross(path);
}

void TPicturePane::ShowExistingOrCross(const QString& path) {
    if (!FileExists(path)) {
        SetStatus(MissingMessage(path));
        ClearPicture();
        return ShowCross();
    }
    // The path goes into the panel before the load, so that a picture that cannot be read is
    // reported with its row's path in view rather than the previous row's.
    ClearPicture();
    SetStatus(path);
    attempted_ = path;
    LoadPanePicture(ui_.Image1->Picture(), path, FitSize());
}

void TPicturePane::ShowCross() {
    SetDefaultSize();
    auto cross = std::make_unique<TBitmap>(kDefaultWidth, kDefaultHeight, TPixelFormat::pf24bit);
    QImage image(kDefaultWidth, kDefaultHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLine(0, 0, kDefaultWidth, kDefaultHeight);
    painter.drawLine(0, kDefaultHeight, kDefaultWidth, 0);
    painter.end();
    cross->SetImage(image);
    ui_.Image1->Picture().SetGraphic(std::move(cross));
}

void TPicturePane::ADOQuerySoftwareAfterScroll() {
    const QString path = CurrentPath();
    if (path.isEmpty()) {
        SetStatus(QString());
        return ClearPicture();
    }
    if (!ui_.CheckBoxDisable->isChecked())
        ShowExistingOrCross(path);
}

void TPicturePane::ShowStartupPicture() {
    const QString path = CurrentPath();
    if (path.isEmpty())
        return;
    if (!FileExists(path)) {
        SetStatus(MissingMessage(path));
        return ClearPicture();
    }
    SetStatus(path);
    // Opening the query has just shown (or reported) this row's picture: a second load would
    // double the start-up's time for a heavy picture and report a damaged one twice.
    if (path == attempted_)
        return;
    attempted_ = path;
    LoadPanePicture(ui_.Image1->Picture(), path, FitSize());
}

void TPicturePane::ButtonAddPictureClick() {
    if (!openPictureDialog1_->Execute())
        return;
    const QString fileName = openPictureDialog1_->FileName();
    // Loaded before anything is stored: a file that cannot be read never reaches Path.
    LoadPanePicture(ui_.Image1->Picture(), fileName, FitSize());
    attempted_ = fileName;
    software_.Edit();
    software_.SetFieldValue(kPathField, fileName);
    software_.Post();
    SetStatus(fileName);
}

void TPicturePane::ButtonRemoveClick() {
    // On an empty result the edit would insert a row with nothing but an empty path.
    if (software_.DisplayRowCount() == 0)
        return;
    software_.Edit();
    software_.SetFieldValue(kPathField, QString());
    software_.Post();
    SetStatus(QString());
    ClearPicture();
}

QSize TPicturePane::FitSize() const {
    const bool shrunk = ui_.CheckBoxStretch->isChecked() && !ui_.CheckBoxAutosize->isChecked();
    return shrunk ? ui_.Image1->size() : QSize();
}

void TPicturePane::Refit() {
    if (auto* jpeg = dynamic_cast<TJPEGImage*>(ui_.Image1->Picture().Graphic()))
        jpeg->SetFitSize(FitSize());
}

void TPicturePane::CheckBoxStretchClick() {
    ui_.Image1->setStretch(ui_.CheckBoxStretch->isChecked());
    Refit();
}

void TPicturePane::CheckBoxCenterClick() {
    ui_.Image1->setCenter(ui_.CheckBoxCenter->isChecked());
}

void TPicturePane::CheckBoxAutosizeClick() {
    const bool autosize = ui_.CheckBoxAutosize->isChecked();
    ui_.Image1->setAutoSize(autosize);
    if (!autosize)
        SetDefaultSize();
    ui_.CheckBoxStretch->setEnabled(!autosize);
    ui_.CheckBoxCenter->setEnabled(!autosize);
    Refit();
}

void TPicturePane::ApplyDisplayBoxRule(Ui::TForm1& ui) {
    const bool disabled = ui.CheckBoxDisable->isChecked();
    const bool autosize = ui.CheckBoxAutosize->isChecked();
    ui.CheckBoxAutosize->setEnabled(!disabled);
    ui.CheckBoxStretch->setEnabled(!disabled && !autosize);
    ui.CheckBoxCenter->setEnabled(!disabled && !autosize);
    ui.PanelHidepicture->setVisible(disabled);
}

void TPicturePane::CheckBoxDisableClick() {
    ApplyDisplayBoxRule(ui_);
    if (!ui_.CheckBoxDisable->isChecked())
        ShowCurrentPicture();
}

void TPicturePane::Image1Click() {
    const QString path = CurrentPath();
    if (path.isEmpty() || !FileExists(path) || viewer_ == nullptr)
        return;
    TImage& image = *ui_.Image1;
    image.setAutoSize(true);
    const int width = image.width();
    const int height = image.height();
    if (!ui_.CheckBoxAutosize->isChecked()) {
        image.setAutoSize(false);
        SetDefaultSize();
    }
    viewer_->ShowPicture(width, height, path);
}

} // namespace qm
