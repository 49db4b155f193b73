#include "gif/gif_image.h"

#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"

#include <algorithm>

namespace qm {

void GIFImageWarning(TGIFImage* image, const TPersistent& sender, TGIFSeverity severity,
                     const std::string& message) {
    if (image != nullptr)
        image->Warning(sender, severity, message);
}

TGIFImage::TGIFImage()
    : header_(std::make_unique<TGIFHeader>(this)), images_(std::make_unique<TGIFImageList>(this)),
      drawOptions_(GIFImageDefaultDrawOptions), animationSpeed_(GIFImageDefaultAnimationSpeed),
      reductionBits_(GIFImageDefaultColorReductionBits) {
    ColorReduction = GIFImageDefaultColorReduction;
    DitherMode = GIFImageDefaultDitherMode;
    Compression = GIFImageDefaultCompression;
    NewImage();
}

TGIFImage::~TGIFImage() {
    DetachPainters();
    images_->Clear();
}

void TGIFImage::Clear() {
    PaintStop();
    FreeBitmap();
    images_->Clear();
    header_->ColorMap().Clear();
    header_->StoreWidth(0);
    header_->StoreHeight(0);
    header_->Prepare();
    FreePalette();
}

void TGIFImage::SetScreenExtent(int value, bool horizontal) {
    for (const auto& frame : *images_) {
        const int edge = horizontal ? frame->Left() + frame->Width() : frame->Top() + frame->Height();
        if (edge > value)
            throw GIFException(horizontal ? sBadWidth : sBadHeight);
    }
    if (value == (horizontal ? GetWidth() : GetHeight()))
        return;
    if (horizontal)
        header_->StoreWidth(value);
    else
        header_->StoreHeight(value);
    FreeBitmap();
    Changed();
}

TGIFVersion TGIFImage::Version() const {
    TGIFVersion version = TGIFVersion::gvUnknown;
    for (const auto& frame : *images_) {
        version = std::max(version, frame->GetVersion());
        if (version == TGIFVersion::gv89a)
            break;
    }
    return version;
}

int TGIFImage::ColorResolution() const {
    int result = header_->ColorResolution();
    for (const auto& frame : *images_)
        result = std::max(result, frame->ColorResolution());
    return result;
}

int TGIFImage::BitsPerPixel() const {
    int result = header_->BitsPerPixel();
    for (const auto& frame : *images_)
        result = std::max(result, frame->BitsPerPixel());
    return result;
}

bool TGIFImage::IsTransparent() const {
    return std::any_of(images_->begin(), images_->end(), [](const auto& frame) {
        return frame->GraphicControlExtension != nullptr && frame->GraphicControlExtension->GetTransparent();
    });
}

int TGIFImage::Add(std::unique_ptr<TGIFSubImage> frame) {
    const int index = images_->Add(std::move(frame));
    FreeBitmap();
    Changed();
    return index;
}

int TGIFImage::Add(const TPersistent& source) {
    if (dynamic_cast<const TGraphic*>(&source) == nullptr)
        throw GIFException(sUnsupportedClass);
    auto frame = std::make_unique<TGIFSubImage>(this);
    frame->Assign(source); // on failure the new frame goes with the exception
    return Add(std::move(frame));
}

void TGIFImage::FreePalette() {
    const auto lock = LockSynchronized(renderLock_);
    palette_.reset();
}

void TGIFImage::Pack() {
    // Stops the painter Draw started, which must not find the render lock taken.
    FreeBitmap();
    // Painters started by Paint go on rendering frames while the cached state goes.
    const auto lock = LockSynchronized(renderLock_);
    FreePalette();
    for (const auto& frame : *images_) {
        frame->FreeBitmap();
        frame->FreePalette();
    }
    if (header_->ColorMap().Count() == 0 && images_->Count() == 1) {
        TGIFSubImage& frame = *images_->First();
        header_->ColorMap().Assign(frame.ColorMap());
        frame.ColorMap().Clear();
    }
}

void TGIFImage::SetDrawOptions(TGIFDrawOptions value) {
    if (value == drawOptions_)
        return;
    StopDraw();
    {
        // Whether frames dither is read while they render.
        const auto lock = LockSynchronized(renderLock_);
        drawOptions_ = value;
    }
    Pack();
    Changed();
}

void TGIFImage::SetAnimationSpeed(int value) {
    value = std::clamp(value, 0, 1000);
    if (value == animationSpeed_)
        return;
    animationSpeed_ = value;
    SpeedChanged();
}

void TGIFImage::SetReductionBits(int value) {
    if (value < 3 || value > 8)
        throw GIFException(sInvalidBitSize);
    reductionBits_ = value;
}

bool TGIFImage::GetDoDither() const {
    if (!drawOptions_.Contains(TGIFDrawOption::goDither))
        return false;
    return drawOptions_.Contains(TGIFDrawOption::goAutoDither) ? DoAutoDither : true;
}

void TGIFImage::Warning(const TPersistent& sender, TGIFSeverity severity, const std::string& message) {
    if (loading_ && ReadSettings.Tolerance == TGIFTolerance::gtStrict)
        throw GIFException(message);
    if (OnWarning)
        OnWarning(sender, severity, message);
}

} // namespace qm
