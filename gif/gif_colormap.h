#pragma once
// Colour tables of a GIF image held in memory: the global table of the logical screen (owned by
// the header) and the local table of one frame. Entries have exactly the byte layout of a GIF
// colour table; a map can sort itself by use and drop unused entries.

#include "framework/graphics/graphic.h"
#include "framework/graphics/palette.h"
#include "gif/gif_settings.h"

#include <QIODevice>
#include <QImage>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace qm {

// A colour value of the framework: red in the low byte, then green, then blue.
using TColor = std::uint32_t;

struct TGIFColor {
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;
    friend bool operator==(const TGIFColor&, const TGIFColor&) = default;
};
static_assert(sizeof(TGIFColor) == 3, "colour entries must pack like a GIF colour table");

struct TUsageRec {
    std::int32_t Count = 0;
    std::int32_t Index = 0;
};
using TUsageCount = std::array<TUsageRec, 256>;
// Old colour index to new colour index.
using TColorIndexMap = std::array<std::uint8_t, 256>;

class TGIFHeader;
class TGIFSubImage;

class TGIFColorMap : public TPersistent {
public:
    ~TGIFColorMap() override = default;
    TGIFColorMap(const TGIFColorMap&) = delete;
    TGIFColorMap& operator=(const TGIFColorMap&) = delete;

    static TGIFColor Color2RGB(TColor color);
    static TColor RGB2Color(TGIFColor color);

    void Clear();
    void SetCapacity(int size);
    int Add(TColor color);
    int AddUnique(TColor color);
    int IndexOf(TColor color) const;
    void Delete(int index);
    TColor GetColor(int index);
    void SetColor(int index, TColor color);
    int GetBitsPerPixel() const;

    void ImportPalette(const TPalette& palette);
    // Takes the first `count` entries of `map` (at most 256).
    void ImportColorMap(std::span<const TGIFColor> map, int count);
    // Entries of 4 bytes each: blue, green, red, reserved (the layout of a device-independent
    // bitmap's colour table and of a QRgb in memory).
    void ImportColorTable(const void* table, int count);
    // Imports the colour table of an indexed picture.
    void ImportDIBColors(const QImage& image);
    std::optional<TPalette> ExportPalette() const;

    // The GIF colour table layout: the entries, then black padding up to 2^bits entries.
    void SaveToStream(QIODevice& stream) const;
    void LoadFromStream(QIODevice& stream, int count);

    void Assign(const TPersistent& source) override;
    const char* ClassName() const override { return "TGIFColorMap"; }

    // Sorts the entries by descending use, rewrites the pixels and drops unused entries.
    bool DoOptimize();

    int Count() const { return count_; }
    int Capacity() const { return capacity_; }
    bool Optimized() const { return optimized_; }
    void SetOptimized(bool value) { optimized_ = value; }
    const TGIFColor* Data() const { return count_ > 0 ? data_.data() : nullptr; }
    const TGIFColor& operator[](int index) const { return data_[static_cast<std::size_t>(index)]; }

    virtual void Warning(TGIFSeverity severity, const std::string& message) = 0;
    virtual void BuildHistogram(TUsageCount& histogram) = 0;
    virtual void MapImages(const TColorIndexMap& map) = 0;
    virtual bool Optimize() = 0;
    virtual void Changed() = 0;

protected:
    TGIFColorMap() = default;
    // Starts a histogram: usage 0 and entry index i in every record.
    static void ResetHistogram(TUsageCount& histogram);
    // Counts the pixel bytes of `frame` into `histogram`, all but a transparent index beyond the map.
    void CountPixels(const TGIFSubImage& frame, TUsageCount& histogram) const;
    // Rewrites the pixels of `frame` and its transparent index through `map`.
    static void RemapFrame(TGIFSubImage& frame, const TColorIndexMap& map);

private:
    void CheckIndex(int index) const;
    std::vector<TGIFColor> data_; // Capacity entries
    int count_ = 0;
    int capacity_ = 0;
    bool optimized_ = false;
};

class TGIFGlobalColorMap : public TGIFColorMap {
public:
    explicit TGIFGlobalColorMap(TGIFHeader* header) : header_(header) {}
    const char* ClassName() const override { return "TGIFGlobalColorMap"; }
    void Warning(TGIFSeverity severity, const std::string& message) override;
    void BuildHistogram(TUsageCount& histogram) override;
    void MapImages(const TColorIndexMap& map) override;
    bool Optimize() override;
    void Changed() override;

private:
    TGIFHeader* header_;
};

class TGIFLocalColorMap : public TGIFColorMap {
public:
    explicit TGIFLocalColorMap(TGIFSubImage* subImage) : subImage_(subImage) {}
    const char* ClassName() const override { return "TGIFLocalColorMap"; }
    void Warning(TGIFSeverity severity, const std::string& message) override;
    void BuildHistogram(TUsageCount& histogram) override;
    void MapImages(const TColorIndexMap& map) override;
    bool Optimize() override;
    void Changed() override;

private:
    TGIFSubImage* subImage_;
};

} // namespace qm
