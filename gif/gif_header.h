#pragma once
// The header item of a GIF image: the logical screen descriptor and the global colour map.

#include "gif/gif_colormap.h"
#include "gif/gif_item.h"

#include <cstdint>
#include <memory>

namespace qm {

// The 7 bytes after the signature, as in the file.
struct TLogicalScreenDescriptor {
    std::uint16_t ScreenWidth = 0;
    std::uint16_t ScreenHeight = 0;
    std::uint8_t PackedFields = 0; // bit 7 table, 4-6 resolution, 3 sort, 0-2 table size
    std::uint8_t BackgroundColorIndex = 0;
    std::uint8_t AspectRatio = 0;
};

class TGIFHeader : public TGIFItem {
public:
    explicit TGIFHeader(TGIFImage* image);
    ~TGIFHeader() override;
    const char* ClassName() const override { return "TGIFHeader"; }

    void Clear();
    void Assign(const TPersistent& source) override;
    // Recomputes the packed fields from the colour maps, as they are written.
    void Prepare();
    TGIFVersion GetVersion() const override;

    TColor GetBackgroundColor();
    void SetBackgroundColor(TColor color);
    int GetBackgroundColorIndex() const { return descriptor_.BackgroundColorIndex; }
    void SetBackgroundColorIndex(int index);
    int BitsPerPixel() const;
    int ColorResolution() const;

    const TLogicalScreenDescriptor& Descriptor() const { return descriptor_; }
    int Width() const { return descriptor_.ScreenWidth; }
    int Height() const { return descriptor_.ScreenHeight; }
    void StoreWidth(int value) { descriptor_.ScreenWidth = static_cast<std::uint16_t>(value); }
    void StoreHeight(int value) { descriptor_.ScreenHeight = static_cast<std::uint16_t>(value); }
    int AspectRatio() const { return descriptor_.AspectRatio; }
    void SetAspectRatio(int value) { descriptor_.AspectRatio = static_cast<std::uint8_t>(value); }
    int PackedFields() const { return descriptor_.PackedFields; }
    TGIFGlobalColorMap& ColorMap() { return *colorMap_; }
    const TGIFGlobalColorMap& ColorMap() const { return *colorMap_; }

    void SaveToStream(QIODevice& stream) override;
    void LoadFromStream(QIODevice& stream) override;

private:
    TLogicalScreenDescriptor descriptor_;
    std::unique_ptr<TGIFGlobalColorMap> colorMap_;
};

} // namespace qm
