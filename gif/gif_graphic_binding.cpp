#include "gif/gif_graphic_binding.h"

#include "colour/dib.h"
#include "colour/reduce_colors.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/canvas.h"
#include "framework/graphics/icon.h"
#include "framework/graphics/picture.h"
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "gif/gif_progress.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <array>
#include <optional>

namespace qm {

namespace {

const QString kGIFClassName = QStringLiteral("TGIFImage");
// The format under which the framework's bitmaps travel on the clipboard.
const QString kBitmapClipboardFormat = QStringLiteral("application/x-qt-image");
constexpr int kProgressRows = 32;

TGraphicClass GIFImageClass() {
    return {kGIFClassName, [] { return std::make_unique<TGIFImage>(); }};
}

// The colours most recently met in a 24-bit row, newest first: neighbouring pixels mostly repeat
// one of a few colours, so the colour map's own search is rarely needed.
class TRecentColours {
public:
    // The map index of `color`, adding it to `map` when it is not there yet.
    int IndexOf(TColor color, TGIFColorMap& map) {
        for (int i = 0; i < count_; ++i) {
            const auto& entry = entries_[static_cast<std::size_t>((next_ - 1 - i + kSize) % kSize)];
            if (entry.color == color)
                return entry.index;
        }
        int index = map.IndexOf(color);
        if (index < 0)
            index = map.Add(color); // "Color table overflow" past 256 colours
        entries_[static_cast<std::size_t>(next_)] = {color, index};
        next_ = (next_ + 1) % kSize;
        count_ = std::min(count_ + 1, kSize);
        return index;
    }

private:
    static constexpr int kSize = 8;
    struct TEntry {
        TColor color = 0;
        int index = 0;
    };
    std::array<TEntry, kSize> entries_{};
    int count_ = 0;
    int next_ = 0;
};

// One byte per pixel of a 32-bit image, non-zero where the pixel has the colour `masked`.
std::vector<std::uint8_t> PixelsOfColour(const QImage& image, QRgb masked) {
    std::vector<std::uint8_t> mask(static_cast<std::size_t>(image.width()) *
                                   static_cast<std::size_t>(image.height()));
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            mask[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width()) +
                 static_cast<std::size_t>(x)] = row[x] == masked ? 1 : 0;
    }
    return mask;
}

// The mask of a transparent bitmap: every pixel of its transparent colour, which is the colour of
// the bottom left pixel.
std::vector<std::uint8_t> TransparencyMask(const TBitmap& bitmap) {
    const QImage image = bitmap.Image().convertToFormat(QImage::Format_RGB32);
    return PixelsOfColour(image, image.pixel(0, image.height() - 1));
}

// The icon's own mask, whose set (white) pixels are the transparent ones.
std::vector<std::uint8_t> IconMask(const TIcon& icon) {
    return PixelsOfColour(icon.MaskBitmap().Image().convertToFormat(QImage::Format_RGB32),
                          qRgb(255, 255, 255));
}

// What the masked pixels of an icon are drawn on: a colour the icon shows anyway, so that they
// take no entry of the colour map before the mask makes them transparent.
QColor IconBackground(const TIcon& icon) {
    const QImage& image = icon.Image();
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(row[x]) >= kIconMaskAlpha)
                return QColor(qRed(row[x]), qGreen(row[x]), qBlue(row[x]));
    }
    return Qt::black;
}

// A graphic drawn onto a bitmap of its size.
TBitmap DrawnBitmap(const TGraphic& source, const QColor& background) {
    QImage image(source.GetWidth(), source.GetHeight(), QImage::Format_RGB32);
    if (image.isNull())
        throw GIFException(sOutOfMemDIB);
    image.fill(background);
    TCanvas canvas(image);
    const_cast<TGraphic&>(source).Draw(canvas, image.rect()); // drawing may fill caches
    TBitmap bitmap;
    bitmap.SetImage(image);
    return bitmap;
}

TBitmap AssignedBitmap(const TGraphic& source) {
    TBitmap bitmap;
    bitmap.Assign(source);
    return bitmap;
}

// A graphic as a bitmap: an icon is drawn (its mask is applied to the frame afterwards) and copies
// itself only when drawing fails; any other graphic copies itself and is drawn only when it cannot.
TBitmap RenderedBitmap(const TGraphic& source) {
    if (const auto* icon = dynamic_cast<const TIcon*>(&source)) {
        try {
            return DrawnBitmap(*icon, IconBackground(*icon));
        } catch (const Exception&) {
            return AssignedBitmap(*icon);
        }
    }
    try {
        return AssignedBitmap(source);
    } catch (const EConvertError&) {
        return DrawnBitmap(source, Qt::white);
    }
}

} // namespace

void InitializeGIFImage() {
    if (TPicture::ClassForName(kGIFClassName) == nullptr) {
        TPicture::RegisterFileFormat(QStringLiteral("gif"), QString::fromLatin1(sGIFImageFile),
                                     GIFImageClass());
        TPicture::RegisterClipboardFormat(CF_GIF, GIFImageClass());
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    PaletteDevice = screen != nullptr && screen->depth() <= 8;
    DoAutoDither = PaletteDevice;
}

void FinalizeGIFImage() {
    TPicture::UnregisterGraphicClass(kGIFClassName);
}

// TGIFImage

void TGIFImage::Assign(const TPersistent& source) {
    if (&source == this)
        return;
    if (const auto* image = dynamic_cast<const TGIFImage*>(&source))
        return AssignImage(*image);
    Clear();
    auto frame = std::make_unique<TGIFSubImage>(this);
    try {
        frame->Assign(source);
    } catch (const EConvertError&) {
        frame.reset();
        return TGraphic::Assign(source);
    }
    Add(std::move(frame));
}

void TGIFImage::AssignImage(const TGIFImage& source) {
    Clear();
    // The copy reports to the source's handlers; the image's own are back afterwards, so that a
    // picture control listening to it keeps hearing from it.
    const TProgressEvent ownProgress = OnProgress;
    const TGIFWarning ownWarning = OnWarning;
    OnProgress = source.OnProgress;
    OnWarning = source.OnWarning;
    try {
        TGIFProgressScope progress(*this, sProgressCopying);
        header_->Assign(source.Header());
        ThreadPriority = source.ThreadPriority;
        DrawBackgroundColor = source.DrawBackgroundColor;
        drawOptions_ = source.drawOptions_;
        ColorReduction = source.ColorReduction;
        DitherMode = source.DitherMode;
        const int count = source.Images().Count();
        for (int i = 0; i < count; ++i) {
            auto frame = std::make_unique<TGIFSubImage>(this);
            frame->Assign(*source.Images().Items(i));
            Add(std::move(frame));
            Progress(TProgressStage::psRunning, (i + 1) * 100 / count, false, QRect(), sProgressCopying);
        }
        progress.Succeeded();
    } catch (...) {
        OnProgress = ownProgress;
        OnWarning = ownWarning;
        throw;
    }
    OnProgress = ownProgress;
    OnWarning = ownWarning;
}

void TGIFImage::WriteData(QIODevice& stream) {
    if (GIFImageOptimizeOnStream)
        Optimize({TGIFOptimizeOption::ooCrop, TGIFOptimizeOption::ooMerge, TGIFOptimizeOption::ooCleanup,
                  TGIFOptimizeOption::ooColorMap, TGIFOptimizeOption::ooReduceColors},
                 TColorReduction::rmNone, TDitherMode::dmNearest, 8);
    TGraphic::WriteData(stream);
}

void TGIFImage::SaveToClipboardFormat(QMimeData& data) {
    if (GetEmpty())
        return;
    if (const TBitmap* bitmap = GetBitmap())
        data.setImageData(bitmap->Image());
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    SaveToStream(buffer);
    data.setData(CF_GIF, buffer.data());
}

// The bitmaps are caches of how the image and its frames look: building them on the way out
// leaves the image as it was, so a const copy may fill them.
void TGIFImage::AssignTo(TPersistent& dest) const {
    auto* bitmap = dynamic_cast<TBitmap*>(&dest);
    const TBitmap* own = bitmap ? const_cast<TGIFImage*>(this)->GetBitmap() : nullptr;
    if (own == nullptr)
        return TGraphic::AssignTo(dest);
    bitmap->Assign(*own);
}

void TGIFSubImage::AssignTo(TPersistent& dest) const {
    auto* bitmap = dynamic_cast<TBitmap*>(&dest);
    const TBitmap* own = bitmap ? const_cast<TGIFSubImage*>(this)->GetBitmap() : nullptr;
    if (own == nullptr)
        return TGIFItem::AssignTo(dest);
    bitmap->Assign(*own);
}

void TGIFImage::LoadFromClipboardFormat(const QMimeData& data, const QString& format) {
    if (format == CF_GIF && data.hasFormat(CF_GIF)) {
        QByteArray bytes = data.data(CF_GIF);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        return LoadFromStream(buffer);
    }
    if (format == kBitmapClipboardFormat && data.hasImage()) {
        TBitmap bitmap;
        bitmap.SetImage(qvariant_cast<QImage>(data.imageData()));
        return Assign(bitmap);
    }
    throw GIFException(sUnsupportedClipboardFormat);
}

// TGIFSubImage

void TGIFSubImage::Assign(const TPersistent& source) {
    if (&source == this)
        return;
    if (const auto* frame = dynamic_cast<const TGIFSubImage*>(&source))
        return AssignFrame(*frame);
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&source))
        return AssignBitmap(*bitmap);
    if (const auto* picture = dynamic_cast<const TPicture*>(&source)) {
        if (picture->Graphic() == nullptr)
            return Clear();
        return Assign(*picture->Graphic());
    }
    if (const auto* graphic = dynamic_cast<const TGraphic*>(&source)) {
        Clear();
        if (!graphic->GetEmpty())
            AssignGraphic(*graphic);
        return;
    }
    TGIFItem::Assign(source);
}

void TGIFSubImage::AssignFrame(const TGIFSubImage& source) {
    Clear();
    if (source.GetEmpty())
        return;
    descriptor_ = source.descriptor_;
    Transparent = source.Transparent;
    data_ = source.data_;
    colorMap_->Assign(*source.colorMap_);
    if (source.extensions_->Count() > 0) {
        // Written out and read back, which makes equal extension objects that belong to this
        // frame. Writing does not change the source's extensions.
        QBuffer buffer;
        buffer.open(QIODevice::ReadWrite);
        const_cast<TGIFExtensionList&>(*source.extensions_).SaveToStream(buffer);
        buffer.seek(0);
        extensions_->LoadFromStream(buffer, this);
        Transparent = source.Transparent;
    }
    bitmap_ = source.bitmap_;
}

void TGIFSubImage::AssignGraphic(const TGraphic& source) {
    AssignBitmap(RenderedBitmap(source));
    if (const auto* icon = dynamic_cast<const TIcon*>(&source))
        ApplyMask(IconMask(*icon));
}

void TGIFSubImage::AssignBitmap(const TBitmap& source) {
    Clear();
    if (source.Empty())
        return;
    if (source.Width() > 0xFFFF || source.Height() > 0xFFFF)
        throw GIFException(sBadDimension);
    TBitmap copy;
    copy.Assign(source);
    std::unique_ptr<TBitmap> reduced;
    if (!IsIndexed(copy.PixelFormat())) {
        const TColorReduction reduction = image_ ? image_->ColorReduction : GIFImageDefaultColorReduction;
        const TDitherMode dither = image_ ? image_->DitherMode : GIFImageDefaultDitherMode;
        const int bits = image_ ? image_->ReductionBits() : GIFImageDefaultColorReductionBits;
        reduced = ReduceColors(copy, reduction, dither, bits, std::nullopt);
        if (reduced->Empty())
            throw GIFException(sInvalidReduction);
    }
    DoSetBounds(0, 0, source.Width(), source.Height());
    if (image_ == nullptr) {
        ImportRows(reduced ? *reduced : copy);
    } else {
        TGIFProgressScope progress(*image_, sProgressConverting);
        ImportRows(reduced ? *reduced : copy);
        progress.Succeeded();
    }
    if (source.GetTransparent())
        ApplyMask(TransparencyMask(source));
}

void TGIFSubImage::ImportRows(TBitmap& bitmap) {
    const TPixelFormat format =
        bitmap.PixelFormat() == TPixelFormat::pf32bit ? TPixelFormat::pf24bit : bitmap.PixelFormat();
    if (IsIndexed(format))
        colorMap_->ImportPalette(bitmap.Palette().value_or(TPalette()));
    TDIBReader reader(bitmap, format);
    TRecentColours recent;
    const int width = Width();
    for (int y = 0; y < Height(); ++y) {
        const std::uint8_t* row = reader.RowPointer(y);
        std::uint8_t* pixels = GetScanline(y);
        switch (format) {
        case TPixelFormat::pf8bit:
        case TPixelFormat::pf4bit: // the framework keeps 4-bit pixels one to a byte
            std::copy(row, row + width, pixels);
            break;
        case TPixelFormat::pf1bit:
            for (int x = 0; x < width; ++x)
                pixels[x] = (row[x / 8] >> (7 - x % 8)) & 1;
            break;
        default: // blue, green, red; the map takes red, green, blue
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* bgr = row + 3 * x;
                pixels[x] = static_cast<std::uint8_t>(
                    recent.IndexOf(static_cast<TColor>(bgr[2] | (bgr[1] << 8) | (bgr[0] << 16)), *colorMap_));
            }
            break;
        }
        if (image_ != nullptr && (y + 1) % kProgressRows == 0)
            image_->Progress(TProgressStage::psRunning, (y + 1) * 100 / Height(), false, QRect(),
                             sProgressConverting);
    }
}

// The colour map is packed first. Black is appended as the transparent entry, so a map that is
// empty or already full cannot take one and the frame stays opaque; when no pixel is masked the
// entry goes again.
void TGIFSubImage::ApplyMask(const std::vector<std::uint8_t>& mask) {
    colorMap_->Optimize();
    const int count = colorMap_->Count();
    if (count < 1 || count > 255)
        return;
    const int transparent = colorMap_->Add(0);
    bool changed = false;
    for (std::size_t i = 0; i < data_.size() && i < mask.size(); ++i) {
        if (mask[i] == 0)
            continue;
        data_[i] = static_cast<std::uint8_t>(transparent);
        changed = true;
    }
    if (!changed)
        return colorMap_->Delete(transparent);
    auto extension = std::make_unique<TGIFGraphicControlExtension>(this);
    extension->SetTransparent(true);
    extension->SetTransparentColorIndex(transparent);
    extensions_->Add(std::move(extension));
    FreeBitmap();
    FreeMask();
}

} // namespace qm
