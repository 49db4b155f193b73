#include "gif/gif_header.h"

#include "gif/gif_exception.h"
#include "gif/gif_image.h"

namespace qm {

TGIFHeader::TGIFHeader(TGIFImage* image)
    : TGIFItem(image), colorMap_(std::make_unique<TGIFGlobalColorMap>(this)) {
    Clear();
}

TGIFHeader::~TGIFHeader() = default;

void TGIFHeader::Clear() {
    colorMap_->Clear();
    descriptor_ = {};
}

void TGIFHeader::Assign(const TPersistent& source) {
    if (const auto* other = dynamic_cast<const TGIFHeader*>(&source)) {
        if (other == this)
            return;
        colorMap_->Assign(other->ColorMap());
        descriptor_ = other->descriptor_;
        return;
    }
    if (const auto* map = dynamic_cast<const TGIFColorMap*>(&source)) {
        Clear();
        colorMap_->Assign(*map);
        return;
    }
    TGIFItem::Assign(source);
}

void TGIFHeader::Prepare() {
    const bool hasColors = colorMap_->Count() > 0;
    const int imageResolution = image_ != nullptr ? image_->ColorResolution() : ColorResolution();
    const int imageBits = image_ != nullptr ? image_->BitsPerPixel() : BitsPerPixel();
    int packed = 0;
    if (hasColors) {
        packed |= 0x80;
        if (colorMap_->Optimized())
            packed |= 0x08;
    }
    packed |= (imageResolution & 0x07) << 4;
    packed |= ((hasColors ? colorMap_->GetBitsPerPixel() : imageBits) - 1) & 0x07;
    descriptor_.PackedFields = static_cast<std::uint8_t>(packed);
}

TGIFVersion TGIFHeader::GetVersion() const {
    return colorMap_->Optimized() || descriptor_.AspectRatio != 0 ? TGIFVersion::gv89a : TGIFVersion::gv87a;
}

TColor TGIFHeader::GetBackgroundColor() {
    return colorMap_->GetColor(descriptor_.BackgroundColorIndex);
}

void TGIFHeader::SetBackgroundColor(TColor color) {
    SetBackgroundColorIndex(colorMap_->AddUnique(color));
}

void TGIFHeader::SetBackgroundColorIndex(int index) {
    if ((index < 0 || index >= colorMap_->Count()) && colorMap_->Count() > 0) {
        Warning(TGIFSeverity::gsWarning, sBadColorIndex);
        index = 0;
    }
    descriptor_.BackgroundColorIndex = static_cast<std::uint8_t>(index);
}

int TGIFHeader::BitsPerPixel() const {
    return colorMap_->GetBitsPerPixel();
}

int TGIFHeader::ColorResolution() const {
    return colorMap_->GetBitsPerPixel() - 1;
}

} // namespace qm
