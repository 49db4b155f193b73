#include "framework/controls/image.h"

#include "framework/graphics/canvas.h"

#include <QMouseEvent>
#include <QPainter>

namespace qm {

TImage::TImage(QWidget* parent) : QWidget(parent) {
    picture_.OnChange = [this](TPicture&) { PictureChanged(); };
}

void TImage::setStretch(bool value) {
    stretch_ = value;
    update();
}

void TImage::setCenter(bool value) {
    center_ = value;
    update();
}

void TImage::setAutoSize(bool value) {
    autoSize_ = value;
    FitToPicture();
}

void TImage::PictureChanged() {
    FitToPicture();
    update();
}

void TImage::FitToPicture() {
    if (autoSize_ && picture_.Width() > 0 && picture_.Height() > 0)
        resize(picture_.Width(), picture_.Height());
}

QRect TImage::DestRect() const {
    if (stretch_)
        return rect();
    QRect result(0, 0, picture_.Width(), picture_.Height());
    if (center_)
        result.moveTo((width() - result.width()) / 2, (height() - result.height()) / 2);
    return result;
}

void TImage::paintEvent(QPaintEvent*) {
    TGraphic* graphic = picture_.Graphic();
    if (graphic == nullptr || graphic->GetEmpty())
        return;
    QPainter painter(this);
    TCanvas canvas(painter, rect());
    graphic->Draw(canvas, DestRect());
}

void TImage::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QWidget::mousePressEvent(event);
}

void TImage::mouseReleaseEvent(QMouseEvent* event) {
    const bool click =
        pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        emit clicked();
}

} // namespace qm
