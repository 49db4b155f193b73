#include "app/info_dialog.h"

#include "app/form_resources.h"
#include "framework/controls/application.h"
#include "framework/controls/centring.h"
#include "framework/core/exceptions.h"
#include "framework/graphics/canvas.h"
#include "ui_Infodialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace qm {

namespace {

const char* const kPictureProperty = "Picture";
const char* const kAutoSizeProperty = "AutoSize";

// Picture data as a form description keeps it: the graphic's class name as a string of one
// length byte and its characters, then the graphic's own stream. The picture system picks the
// class by that name; the logo must be a GIF image.
TGIFImage* ReadGifPictureData(TPicture& picture, const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw EInvalidGraphic("Picture data " + fileName.toStdString() + " cannot be read");
    picture.ReadData(file);
    auto* image = dynamic_cast<TGIFImage*>(picture.Graphic());
    if (image == nullptr)
        throw EInvalidGraphic("The picture in " + fileName.toStdString() + " is no GIF image");
    return image;
}

} // namespace

TInfo::TInfo(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TInfo>()), plasmaTimer_(new QTimer(this)) {
    PrepareFormResources();
    ui_->setupUi(this);
    // A fixed dialog: a caption with its close box and nothing to resize, minimise or maximise.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    // The dialog face takes the desktop's menu colour.
    QPalette face = palette();
    face.setColor(QPalette::Window, QApplication::palette("QMenu").color(QPalette::Window));
    setPalette(face);
    FitLabels();
    (new TCentring(*this, TCentring::TArea::caAvailable))->Centre();

    plasmaTimer_->setObjectName(QStringLiteral("PlasmaTimer"));
    plasmaTimer_->setInterval(kPlasmaInterval);
    connect(plasmaTimer_, &QTimer::timeout, this, Guarded(this, &TInfo::DrawPlasma));
    connect(ui_->Button1, &QPushButton::clicked, this, Guarded(this, &TInfo::Button1Click));
    ui_->lblWebSite->installEventFilter(this);
    ui_->lblEmail->installEventFilter(this);
    LoadPicture();
    FormCreate();
}

// Labels marked AutoSize take the size of their text. The others keep their width, but grow to the
// height of a line when the font that stands in for the form's face is taller than it.
void TInfo::FitLabels() {
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label->property(kAutoSizeProperty).toBool())
            label->adjustSize();
        else if (label->text().size() > 0)
            label->resize(label->width(), std::max(label->height(), label->sizeHint().height()));
    }
}

TInfo::~TInfo() {
    FormDestroy();
}

void TInfo::LoadPicture() {
    logo_ = ReadGifPictureData(logoPicture_, ui_->Image1->property(kPictureProperty).toString());
}

void TInfo::FormCreate() {
    plasmaBitmap_ = std::make_unique<TBitmap>(ui_->PlasmaImage->width(), ui_->PlasmaImage->height(),
                                              TPixelFormat::pf32bit);
    plasmaTable_ = MakePlasmaTable();
    plasmaTimer_->start();
}

void TInfo::FormDestroy() {
    plasmaTimer_->stop();
    plasmaBitmap_.reset();
}

void TInfo::DrawPlasma() {
    DrawPlasmaTick(plasmaTable_, ProgramPlasmaPhases(), *plasmaBitmap_);
    // The fourth byte of a pixel is no alpha: show the rows as opaque colours.
    const QImage& rows = plasmaBitmap_->Image();
    const QImage opaque(rows.constBits(), rows.width(), rows.height(), rows.bytesPerLine(),
                        QImage::Format_RGB32);
    ui_->PlasmaImage->setPixmap(QPixmap::fromImage(opaque));
}

void TInfo::Button1Click() {
    close();
}

void TInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (ui_->Image1->pixmap().isNull())
        ShowLogo();
}

// The logo is rendered when first drawn: at its natural size from the top left corner, the
// transparent pixels letting the dialog's face through.
void TInfo::ShowLogo() {
    QImage picture(ui_->Image1->size(), CanvasImageFormat);
    picture.fill(Qt::transparent);
    TCanvas canvas(picture);
    logo_->Draw(canvas, QRect(0, 0, logo_->GetWidth(), logo_->GetHeight()));
    ui_->Image1->setPixmap(QPixmap::fromImage(picture));
}

// Whether a handler exists for the address is not asked: without one, nothing happens.
void TInfo::lblWebSiteClick() {
    QDesktopServices::openUrl(QUrl(ui_->lblWebSite->text()));
}

void TInfo::lblEmailClick() {
    QDesktopServices::openUrl(QUrl(QStringLiteral("mailto:") + ui_->lblEmail->text()));
}

bool TInfo::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* label = static_cast<QWidget*>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            if (watched == ui_->lblWebSite)
                RunGuarded([this] { lblWebSiteClick(); });
            else if (watched == ui_->lblEmail)
                RunGuarded([this] { lblEmailClick(); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qm
