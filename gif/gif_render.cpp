// Rendering frames into bitmaps and drawing them: the frame bitmap with its mask (plain and
// dithered), the frame and image palettes, the whole-image bitmap, and Draw.
#include "colour/color_lookup.h"
#include "colour/dib.h"
#include "colour/dither.h"
#include "colour/fixed_palettes.h"
#include "framework/core/exceptions.h"
#include "framework/core/muldiv.h"
#include "framework/graphics/canvas.h"
#include "framework/graphics/thread.h"
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "gif/gif_painter.h"

#include <QPainter>
#include <array>
#include <cstdio>
#include <cstring>

namespace qm {

namespace {

// Frames above this many pixels start as 1-bit bitmaps before their rows are written.
constexpr long long kLargeFramePixels = 500000;

// Reports rendering progress of `image` (a frame may belong to none).
void RenderProgress(TGIFImage* image, TProgressStage stage, int percent, bool redraw = false) {
    if (image != nullptr)
        image->Progress(stage, percent, redraw, QRect(), sProgressRendering);
}

// The bits of transparent pixels, collected row by row; becomes a 1-bit image (most significant
// bit first) only when some pixel is transparent.
class TMaskBuilder {
public:
    TMaskBuilder(int width, int height) : mask_(NewDrawImage(QSize(width, height), QImage::Format_Mono)) {
        mask_.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        mask_.fill(0);
    }
    void Set(int x, int y) {
        mask_.scanLine(y)[x >> 3] |= static_cast<std::uint8_t>(0x80 >> (x & 7));
        used_ = true;
    }
    std::optional<QImage> Result() { return used_ ? std::optional<QImage>(std::move(mask_)) : std::nullopt; }

private:
    QImage mask_;
    bool used_ = false;
};

// The opaque colours of a palette padded with black to 256 entries, so that every byte indexes it.
std::array<QRgb, 256> ColourTable(const std::optional<TPalette>& palette) {
    std::array<QRgb, 256> table;
    table.fill(qRgb(0, 0, 0));
    if (palette)
        for (int i = 0; i < std::min(palette->Count(), 256); ++i)
            table[static_cast<std::size_t>(i)] =
                qRgb((*palette)[i].peRed, (*palette)[i].peGreen, (*palette)[i].peBlue);
    return table;
}

TBitmap NewFrameBitmap(int width, int height) {
    TBitmap bitmap;
    if (static_cast<long long>(width) * height > kLargeFramePixels)
        bitmap.SetPixelFormat(TPixelFormat::pf1bit);
    return bitmap;
}

} // namespace

const QImage& RequireAllocated(const QImage& image, const QSize& size) {
    if (image.isNull() && !size.isEmpty()) {
        char message[96];
        std::snprintf(message, sizeof message, sOutOfImageMemory, size.width(), size.height());
        throw EOutOfMemory(message);
    }
    return image;
}

// ---- Frame bitmap ------------------------------------------------------------------------------

const TBitmap* TGIFSubImage::GetBitmap() {
    const auto lock = LockRender();
    if (bitmap_ || GetEmpty())
        return bitmap_ ? &*bitmap_ : nullptr;
    RenderProgress(image_, TProgressStage::psStarting, 0);
    try {
        bitmap_ = image_ != nullptr && image_->GetDoDither() ? DoGetDitherBitmap() : DoGetBitmap();
    } catch (const EAbort&) {
        RenderProgress(image_, TProgressStage::psEnding, 0);
        return nullptr;
    } catch (...) {
        RenderProgress(image_, TProgressStage::psEnding, 0);
        throw;
    }
    const bool redraw = image_ != nullptr && image_->PaletteModified;
    RenderProgress(image_, TProgressStage::psEnding, 100, redraw);
    if (redraw)
        image_->NotifyChange();
    return &*bitmap_;
}

TBitmap TGIFSubImage::DoGetBitmap() {
    TBitmap bitmap = NewFrameBitmap(Width(), Height());
    // Without any colour map every index lies beyond it and shows black, as other decoders show
    // it; the palette search would only end in the image palette's re-entry error.
    const std::optional<TPalette> palette = GetActiveColorMap().Count() > 0 ? GetPalette() : TPalette();
    if (GetEmpty()) {
        bitmap = TBitmap(Width(), Height(), TPixelFormat::pf8bit);
        if (palette)
            bitmap.SetPalette(*palette);
        return bitmap;
    }
    const bool wantMask = needMask_ && Transparent && !mask_;
    needMask_ = false;
    const int transparentIndex = wantMask && GraphicControlExtension != nullptr
                                     ? GraphicControlExtension->GetTransparentColorIndex()
                                     : -1;
    TMaskBuilder mask(wantMask ? Width() : 0, wantMask ? Height() : 0);
    {
        TDIBWriter writer(bitmap, palette, Width(), Height(), TPixelFormat::pf8bit);
        for (int y = 0; y < Height(); ++y) {
            if (y % 32 == 0)
                RenderProgress(image_, TProgressStage::psRunning, y * 100 / Height());
            const std::uint8_t* source = data_.data() + static_cast<std::size_t>(y) * Width();
            std::memcpy(writer.RowPointer(y), source, static_cast<std::size_t>(Width()));
            if (transparentIndex < 0)
                continue;
            for (int x = 0; x < Width(); ++x)
                if (source[x] == transparentIndex)
                    mask.Set(x, y);
        }
    }
    if (wantMask)
        mask_ = mask.Result();
    return bitmap;
}

TBitmap TGIFSubImage::DoGetDitherBitmap() {
    TBitmap bitmap = NewFrameBitmap(Width(), Height());
    const std::optional<TPalette> palette = GetPalette();
    if (GetEmpty()) {
        bitmap = TBitmap(Width(), Height(), TPixelFormat::pf8bit);
        if (palette)
            bitmap.SetPalette(*palette);
        return bitmap;
    }
    TGIFColorMap& colours = GetActiveColorMap();
    const bool wantMask = needMask_ && Transparent && !mask_ && GraphicControlExtension != nullptr;
    needMask_ = false;
    const int transparentIndex = wantMask ? GraphicControlExtension->GetTransparentColorIndex() : -1;
    std::uint8_t fill = 0;
    if (wantMask && transparentIndex < colours.Count()) {
        const TGIFColor c = colours[transparentIndex];
        fill = static_cast<std::uint8_t>(MulDiv(6, c.Green, 51) + c.Blue / 51 + MulDiv(36, c.Red, 51) + 1);
    }
    TMaskBuilder mask(wantMask ? Width() : 0, wantMask ? Height() : 0);
    TNetscapeColorLookup lookup;
    TFloydSteinbergDitherer ditherer(Width(), lookup);
    {
        TDIBWriter writer(bitmap, palette, Width(), Height(), TPixelFormat::pf8bit);
        for (int y = 0; y < Height(); ++y) {
            if (y % 32 == 0)
                RenderProgress(image_, TProgressStage::psRunning, MulDiv(y, 100, Height()));
            std::uint8_t* out = writer.RowPointer(y);
            const std::uint8_t* source = data_.data() + static_cast<std::size_t>(y) * Width();
            if (wantMask)
                std::memset(out, fill, static_cast<std::size_t>(Width()));
            while (ditherer.Column() >= 0 && ditherer.Column() < Width()) {
                const int x = ditherer.Column();
                if (source[x] == transparentIndex) {
                    mask.Set(x, y);
                    ditherer.StepColumn();
                    continue;
                }
                // An index beyond the colour map shows black.
                const TGIFColor c = source[x] < colours.Count() ? colours[source[x]] : TGIFColor{};
                out[x] = ditherer.DitherPixel(c.Red, c.Green, c.Blue).index;
            }
            ditherer.EndRow();
        }
    }
    if (wantMask)
        mask_ = mask.Result();
    return bitmap;
}

void TGIFSubImage::SetHasBitmap(bool value) {
    if (value)
        GetBitmap();
    else
        FreeBitmap();
}

bool TGIFSubImage::HasMask() {
    if (needMask_ && Transparent) {
        FreeBitmap();
        GetBitmap();
    }
    return mask_.has_value();
}

const QImage& TGIFSubImage::DrawImage(bool masked) {
    std::optional<QImage>& cached = drawImages_[masked ? 1 : 0];
    if (cached)
        return *cached;
    const TBitmap& bitmap = *bitmap_;
    const std::array<QRgb, 256> table = ColourTable(bitmap.Palette());
    QImage image = NewDrawImage(QSize(bitmap.Width(), bitmap.Height()), CanvasImageFormat);
    const bool useMask = masked && mask_.has_value();
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t* source = bitmap.ScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        const std::uint8_t* maskRow = useMask ? mask_->constScanLine(y) : nullptr;
        for (int x = 0; x < image.width(); ++x) {
            const bool hidden = maskRow != nullptr && (maskRow[x >> 3] & (0x80 >> (x & 7))) != 0;
            out[x] = hidden ? 0 : table[source[x]];
        }
    }
    cached = std::move(image);
    return *cached;
}

// ---- Palettes ----------------------------------------------------------------------------------

std::optional<TPalette> TGIFSubImage::GetPalette() {
    if (bitmap_ && bitmap_->Palette())
        return bitmap_->Palette();
    if (palette_)
        return palette_;
    if (image_ != nullptr && image_->GetDoDither())
        palette_ = WebPalette();
    else if (colorMap_->Count() == 0)
        return image_ != nullptr ? image_->GetPalette() : std::nullopt;
    else
        palette_ = colorMap_->ExportPalette();
    return palette_;
}

void TGIFSubImage::SetPalette(const std::optional<TPalette>& palette) {
    const auto lock = LockRender();
    if (palette == palette_)
        return;
    palette_ = palette;
    if (bitmap_ && bitmap_->Palette() != palette) {
        FreeBitmap();
        if (image_ != nullptr) {
            image_->PaletteModified = true;
            image_->NotifyChange();
        }
    }
}

std::optional<TPalette> TGIFImage::GetPalette() {
    // Painter threads reach here through their frames' palettes.
    const auto lock = LockSynchronized(renderLock_);
    if (inGetPalette_)
        throw GIFException(sNoColorTable);
    inGetPalette_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{inGetPalette_};
    if (palette_)
        return palette_;
    if (GetDoDither())
        palette_ = WebPalette();
    else if (ColorMap().Count() > 0)
        palette_ = ColorMap().ExportPalette();
    else
        return GetEmpty() ? std::nullopt : Images().First()->GetPalette();
    return palette_;
}

void TGIFImage::SetPalette(const std::optional<TPalette>& palette) {
    {
        const auto lock = LockSynchronized(renderLock_);
        if (palette == palette_)
            return;
        palette_ = palette;
    }
    if (bitmap_) {
        FreeBitmap();
        PaletteModified = true;
        Changed();
    }
}

// ---- Drawing frames ----------------------------------------------------------------------------

QRect TGIFSubImage::ScaleRect(const QRect& rect) const {
    const int screenWidth = image_ != nullptr && image_->GetWidth() > 0 ? image_->GetWidth() : Width();
    const int screenHeight = image_ != nullptr && image_->GetHeight() > 0 ? image_->GetHeight() : Height();
    if (screenWidth == 0 || screenHeight == 0)
        return QRect(rect.topLeft(), QSize(0, 0));
    const int left = rect.left() + MulDiv(Left(), rect.width(), screenWidth);
    const int top = rect.top() + MulDiv(Top(), rect.height(), screenHeight);
    const int right = rect.left() + MulDiv(Left() + Width(), rect.width(), screenWidth);
    const int bottom = rect.top() + MulDiv(Top() + Height(), rect.height(), screenHeight);
    return QRect(left, top, right - left, bottom - top);
}

void TGIFSubImage::Draw(TCanvas& canvas, const QRect& rect, bool doTransparent, bool doTile) {
    StretchDraw(canvas, doTile ? rect : ScaleRect(rect), doTransparent, doTile);
}

void TGIFSubImage::StretchDraw(TCanvas& canvas, const QRect& rect, bool doTransparent, bool doTile) {
    const auto lock = LockRender();
    const bool masked = doTransparent && Transparent && HasMask();
    if (GetBitmap() == nullptr)
        return;
    DrawImageAt(canvas, rect, masked, doTile);
}

void TGIFSubImage::DrawImageAt(TCanvas& canvas, const QRect& rect, bool masked, bool doTile) {
    const QImage& image = DrawImage(masked);
    if (!doTile) {
        canvas.StretchDraw(rect, image);
        return;
    }
    const int stepX = image_ != nullptr && image_->GetWidth() > 0 ? image_->GetWidth() : Width();
    const int stepY = image_ != nullptr && image_->GetHeight() > 0 ? image_->GetHeight() : Height();
    // Without a screen or a frame area there is no tile to repeat.
    if (stepX <= 0 || stepY <= 0)
        return;
    for (int x = rect.left() + Left(); x < rect.left() + rect.width(); x += stepX)
        for (int y = rect.top() + Top(); y < rect.top() + rect.height(); y += stepY)
            canvas.StretchDraw(QRect(x, y, Width(), Height()), image);
}

// ---- The whole image ---------------------------------------------------------------------------

void TGIFImage::FreeBitmap() {
    StopDrawPainter();
    bitmapCanvas_.reset();
    bitmap_.reset();
}

void TGIFImage::NewBitmap() {
    if (bitmap_)
        return;
    QImage image = NewDrawImage(QSize(GetWidth(), GetHeight()), CanvasImageFormat);
    image.fill(Qt::transparent);
    bitmap_ = std::make_unique<TBitmap>();
    bitmap_->SetImage(image);
    bitmapCanvas_ = std::make_unique<TCanvas>(*bitmap_);
    // Each change the painter makes to the bitmap is a change of the image.
    bitmapCanvas_->OnChange = [this] { Changed(); };
}

const TBitmap* TGIFImage::GetBitmap() {
    if (GetEmpty())
        return nullptr;
    if (bitmap_)
        return bitmap_.get();
    NewBitmap();
    Images().First()->Draw(*bitmapCanvas_, bitmapCanvas_->ClipRect(), false, false);
    return bitmap_.get();
}

void TGIFImage::DrawBitmap(TCanvas& canvas, const QRect& rect) {
    const QImage& image = bitmap_->Image();
    if (!drawOptions_.Contains(TGIFDrawOption::goTile)) {
        canvas.StretchDraw(rect, image);
        return;
    }
    if (GetWidth() <= 0 || GetHeight() <= 0)
        return;
    for (int x = rect.left(); x < rect.left() + rect.width(); x += GetWidth())
        for (int y = rect.top(); y < rect.top() + rect.height(); y += GetHeight())
            canvas.StretchDraw(QRect(x, y, GetWidth(), GetHeight()), image);
}

void TGIFImage::Draw(TCanvas& canvas, const QRect& rect) {
    if (drawing_ || GetEmpty())
        return;
    drawing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{drawing_};
    if (Images().Count() == 1 || !drawOptions_.Contains(TGIFDrawOption::goAnimate)) {
        Images().First()->Draw(canvas, rect, drawOptions_.Contains(TGIFDrawOption::goTransparent),
                               drawOptions_.Contains(TGIFDrawOption::goTile));
        return;
    }
    if (!bitmap_ || drawOptions_.Contains(TGIFDrawOption::goDirectDraw)) {
        StartDrawPainter(canvas, rect);
        if (drawOptions_.Contains(TGIFDrawOption::goDirectDraw) || !bitmap_)
            return;
    }
    DrawBitmap(canvas, rect);
}

} // namespace qm
