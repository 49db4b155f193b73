#include "gif/gif_subimage.h"

#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"

#include <algorithm>
#include <new>

namespace qm {

TGIFSubImage::TGIFSubImage(TGIFImage* image)
    : TGIFItem(image), colorMap_(std::make_unique<TGIFLocalColorMap>(this)),
      extensions_(std::make_unique<TGIFExtensionList>(image)) {}

TGIFSubImage::~TGIFSubImage() {
    // Extensions reach back into the frame while they go, so they go first.
    extensions_->Clear();
}

void TGIFSubImage::Clear() {
    extensions_->Clear();
    colorMap_->Clear();
    FreeImage();
    descriptor_.Width = 0;
    descriptor_.Height = 0;
    Transparent = false;
    GraphicControlExtension = nullptr;
    FreeBitmap();
    FreeMask();
}

TGIFVersion TGIFSubImage::GetVersion() const {
    return colorMap_->Optimized() || extensions_->Count() > 0 ? TGIFVersion::gv89a : TGIFVersion::gv87a;
}

int TGIFSubImage::ColorResolution() const {
    return colorMap_->GetBitsPerPixel() - 1;
}

int TGIFSubImage::BitsPerPixel() const {
    return colorMap_->GetBitsPerPixel();
}

int TGIFSubImage::GetBounds(int index) const {
    switch (index) {
    case 1:
        return descriptor_.Left;
    case 2:
        return descriptor_.Top;
    case 3:
        return descriptor_.Width;
    case 4:
        return descriptor_.Height;
    default:
        return 0;
    }
}

void TGIFSubImage::SetBounds(int index, int value) {
    int bounds[4] = {Left(), Top(), Width(), Height()};
    if (index < 1 || index > 4)
        return;
    bounds[index - 1] = value;
    DoSetBounds(bounds[0], bounds[1], bounds[2], bounds[3]);
}

void TGIFSubImage::SetBoundsRect(const QRect& rect) {
    DoSetBounds(rect.left(), rect.top(), rect.right() - rect.left() + 1, rect.bottom() - rect.top() + 1);
}

void TGIFSubImage::DoSetBounds(int left, int top, int width, int height) {
    // Each bound is a 16-bit field; a value beyond it is refused before anything changes.
    for (const int bound : {left, top, width, height})
        if (bound < 0 || bound > 0xFFFF)
            throw GIFException(sBadDimension);
    const int oldWidth = descriptor_.Width;
    const int oldHeight = descriptor_.Height;
    descriptor_.Left = static_cast<std::uint16_t>(left);
    descriptor_.Top = static_cast<std::uint16_t>(top);
    descriptor_.Width = static_cast<std::uint16_t>(width);
    descriptor_.Height = static_cast<std::uint16_t>(height);
    if (descriptor_.Width != oldWidth || descriptor_.Height != oldHeight) {
        FreeBitmap();
        FreeMask();
        AllocatePixels(0);
    }
    if (image_ == nullptr)
        return;
    // The screen is at most 65535 pixels wide; a frame placed further out cannot widen it more.
    const int right = std::min(Left() + Width(), 0xFFFF);
    const int bottom = std::min(Top() + Height(), 0xFFFF);
    bool grew = false;
    if (image_->GetWidth() < right) {
        if (image_->GetWidth() > 0) {
            Warning(TGIFSeverity::gsWarning, sBadWidth);
            grew = true;
        }
        image_->SetWidth(right);
    }
    if (image_->GetHeight() < bottom) {
        if (image_->GetHeight() > 0) {
            Warning(TGIFSeverity::gsWarning, sBadHeight);
            grew = true;
        }
        image_->SetHeight(bottom);
    }
    if (grew)
        Warning(TGIFSeverity::gsWarning, sScreenSizeExceeded);
}

QRect TGIFSubImage::GetBoundsRect() const {
    return QRect(QPoint(Left(), Top()), QPoint(Left() + Width(), Top() + Height()));
}

QRect TGIFSubImage::GetClientRect() const {
    return QRect(QPoint(0, 0), QPoint(Width(), Height()));
}

void TGIFSubImage::SetInterlaced(bool value) {
    if (value != Interlaced())
        DropKeptData(); // the kept data holds the rows in the other order
    descriptor_.PackedFields =
        static_cast<std::uint8_t>(value ? descriptor_.PackedFields | 0x40 : descriptor_.PackedFields & ~0x40);
}

bool TGIFSubImage::GetEmpty() const {
    return data_.empty() || Width() == 0 || Height() == 0;
}

void TGIFSubImage::AllocatePixels(std::uint8_t fill) {
    FreeImage();
    const std::uint64_t size = static_cast<std::uint64_t>(Width()) * static_cast<std::uint64_t>(Height());
    if (size == 0)
        return;
    if (size > GIFMaximumFramePixels)
        throw GIFException(sFrameTooLarge);
    try {
        data_.assign(static_cast<std::size_t>(size), fill);
    } catch (const std::bad_alloc&) {
        throw GIFException(sFrameTooLarge);
    }
}

void TGIFSubImage::NewImage() {
    AllocatePixels(0);
}

void TGIFSubImage::FreeImage() {
    DropKeptData();
    data_.clear();
    data_.shrink_to_fit();
}

void TGIFSubImage::KeepCompressedData(std::vector<std::uint8_t> bytes) {
    // Kept only as other decoders read it too: a code size of 2 to 8 and a chain of sub-blocks
    // that ends in its terminator.
    if (bytes.empty() || bytes[0] < 2 || bytes[0] > 8 || data_.empty())
        return;
    std::size_t at = 1;
    while (at < bytes.size() && bytes[at] != 0)
        at += std::size_t{bytes[at]} + 1;
    if (at + 1 != bytes.size())
        return;
    bytes.shrink_to_fit();
    kept_.bytes = std::move(bytes);
    kept_.largestIndex = *std::max_element(data_.begin(), data_.end());
}

void TGIFSubImage::DropKeptData() {
    kept_.bytes.clear();
    kept_.bytes.shrink_to_fit();
}

void TGIFSubImage::NeedImage() {
    if (!data_.empty())
        return;
    NewImage();
    if (data_.empty())
        throw GIFException(sEmptyImage);
}

std::uint8_t* TGIFSubImage::GetScanline(int row) {
    if (row < 0 || row >= Height())
        throw GIFException(sBadPixelCoordinates);
    NeedImage();
    DropKeptData();
    return data_.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(Width());
}

std::uint8_t TGIFSubImage::GetPixel(int x, int y) {
    if (x < 0 || x >= Width() || y < 0 || y >= Height())
        throw GIFException(sBadPixelCoordinates);
    NeedImage();
    return data_[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width()) +
                 static_cast<std::size_t>(x)];
}

TGIFColorMap& TGIFSubImage::GetActiveColorMap() {
    if (colorMap_->Count() > 0 || image_ == nullptr)
        return *colorMap_;
    if (image_->ColorMap().Count() > 0)
        return image_->ColorMap();
    return *colorMap_;
}

std::unique_lock<std::recursive_mutex> TGIFSubImage::LockRender() const {
    return image_ != nullptr ? LockSynchronized(image_->RenderLock())
                             : std::unique_lock<std::recursive_mutex>();
}

void TGIFSubImage::FreeBitmap() {
    const auto lock = LockRender();
    bitmap_.reset();
    drawImages_[0].reset();
    drawImages_[1].reset();
}

void TGIFSubImage::FreeMask() {
    const auto lock = LockRender();
    mask_.reset();
    needMask_ = true;
}

void TGIFSubImage::FreePalette() {
    const auto lock = LockRender();
    palette_.reset();
}

} // namespace qm
