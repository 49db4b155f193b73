#pragma once
// A drawing surface over QPainter: either an image the canvas paints on itself, or a painter that
// a widget's paint event has begun. Stretching is nearest neighbour (no smoothing), and a pixel
// of alpha 0 in a drawn image leaves the canvas as it was.
//
// Rectangles are Qt rectangles: x() + width() is the first column to the right of the area.

#include "framework/graphics/bitmap.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <functional>
#include <memory>

namespace qm {

class TCanvas {
public:
    // Paints on `image`, which must outlive the canvas. Indexed images cannot be painted on and
    // are converted to 32 bits with alpha first.
    explicit TCanvas(QImage& image);
    explicit TCanvas(TBitmap& bitmap);
    // Paints through `painter` (already begun); `clip` is the area the owner may paint.
    TCanvas(QPainter& painter, const QRect& clip);
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    QRect ClipRect() const { return clip_; }
    // Draws `image` stretched into `dest`, blending through its alpha.
    void StretchDraw(const QRect& dest, const QImage& image);
    // Replaces the pixels under `dest` by `source`'s `sourceRect`, stretched (a source copy).
    void CopyRect(const QRect& dest, const QImage& source, const QRect& sourceRect);
    void FillRect(const QRect& rect, const QColor& color);
    // A copy of the pixels under `rect` (32 bits, premultiplied alpha). A canvas that cannot be
    // read back (a widget's) gives transparent pixels, which drawn back over it change nothing.
    QImage Grab(const QRect& rect) const;

    // Expires when the canvas is destroyed: whoever keeps a pointer to a canvas checks this on
    // the canvas's thread before using it.
    std::weak_ptr<const void> Handle() const { return alive_; }

    // Called by those who finish a change of the canvas's pixels.
    void Changed() const;
    std::function<void()> OnChange;

private:
    template <class F> void Paint(F&& draw);

    QImage* image_ = nullptr;
    QPainter* painter_ = nullptr;
    QRect clip_;
    std::shared_ptr<const int> alive_ = std::make_shared<const int>(0);
};

// 32 bits with premultiplied alpha: the format every canvas buffer uses, fastest to blend.
inline constexpr QImage::Format CanvasImageFormat = QImage::Format_ARGB32_Premultiplied;

} // namespace qm
