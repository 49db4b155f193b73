#include "framework/graphics/canvas.h"

namespace qm {

namespace {

// QPainter paints only on images of 16 bits and more.
void MakePaintable(QImage& image) {
    if (image.format() == QImage::Format_Indexed8 || image.format() == QImage::Format_Mono ||
        image.format() == QImage::Format_MonoLSB)
        image = image.convertToFormat(CanvasImageFormat);
}

} // namespace

TCanvas::TCanvas(QImage& image) : image_(&image), clip_(image.rect()) {
    MakePaintable(image);
}

TCanvas::TCanvas(TBitmap& bitmap) : TCanvas(bitmap.image_) {
    bitmap.format_ = TPixelFormat::pf32bit;
    if (!bitmap.image_.hasAlphaChannel())
        bitmap.image_ = bitmap.image_.convertToFormat(CanvasImageFormat);
}

TCanvas::TCanvas(QPainter& painter, const QRect& clip) : painter_(&painter), clip_(clip) {}

template <class F> void TCanvas::Paint(F&& draw) {
    if (painter_ != nullptr) {
        painter_->save();
        painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
        draw(*painter_);
        painter_->restore();
        return;
    }
    if (image_->isNull())
        return;
    QPainter painter(image_);
    draw(painter);
}

void TCanvas::StretchDraw(const QRect& dest, const QImage& image) {
    Paint([&](QPainter& p) { p.drawImage(dest, image); });
}

void TCanvas::CopyRect(const QRect& dest, const QImage& source, const QRect& sourceRect) {
    Paint([&](QPainter& p) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(dest, source, sourceRect);
    });
}

void TCanvas::FillRect(const QRect& rect, const QColor& color) {
    Paint([&](QPainter& p) {
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.fillRect(rect, color);
    });
}

QImage TCanvas::Grab(const QRect& rect) const {
    QImage result(rect.size(), CanvasImageFormat);
    result.fill(Qt::transparent);
    if (image_ != nullptr && !image_->isNull()) {
        QPainter p(&result);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(QPoint(0, 0), *image_, rect);
    }
    return result;
}

void TCanvas::Changed() const {
    if (OnChange)
        OnChange();
}

} // namespace qm
