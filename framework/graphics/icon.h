#pragma once
// TIcon: the icon graphic of the picture system, read from and written to .ico files by Qt's ICO
// reader and writer. An icon is drawn through its mask: masked pixels leave the canvas as it was.

#include "framework/graphics/bitmap.h"
#include "framework/graphics/graphic.h"

#include <QImage>

namespace qm {

inline constexpr const char* sInvalidIcon = "Icon image is not valid";
// The error of a picture whose declared size its data cannot fill (see FitsDataBytes).
inline constexpr const char* sIconExceedsData = "Icon image too large for the data in the file";

class TIcon : public TGraphic {
public:
    TIcon() = default;
    const char* ClassName() const override { return "TIcon"; }

    // Reads an .ico file and keeps the largest of its images (by area; among equal areas the
    // first). A damaged or empty file raises EInvalidGraphic("Icon image is not valid") and the
    // icon keeps what it had.
    void LoadFromStream(QIODevice& stream) override;
    // Writes a one-image .ico file of the icon as it is, alpha included. Nothing for an empty
    // icon.
    void SaveToStream(QIODevice& stream) override;

    int GetWidth() const override { return image_.width(); }
    int GetHeight() const override { return image_.height(); }
    // An icon has the size its file gives it.
    void SetWidth(int) override;
    void SetHeight(int) override;
    bool GetEmpty() const override { return image_.isNull(); }

    // The icon's pixels, 32 bits with alpha as the file gave them.
    const QImage& Image() const { return image_; }
    // 1 bit per pixel, 1 where the icon is transparent: the pixels whose alpha is below half.
    // Empty for an empty icon.
    TBitmap MaskBitmap() const;

    // Another icon's pixels.
    void Assign(const TPersistent& source) override;
    // Stretched into `rect` through the mask; the other pixels are drawn opaque, whatever their
    // alpha, as a mask blit draws them.
    void Draw(TCanvas& canvas, const QRect& rect) override;

protected:
    // A bitmap receives the pixels in 32 bits with their alpha.
    void AssignTo(TPersistent& dest) const override;

private:
    QImage image_;
    QImage masked_; // image_ with alpha 0 where masked and 255 elsewhere, ready to draw
};

// A pixel whose alpha is below this is masked.
inline constexpr int kIconMaskAlpha = 128;

} // namespace qm
