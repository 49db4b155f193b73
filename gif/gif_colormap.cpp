#include "gif/gif_colormap.h"

#include "colour/descending_quicksort.h"
#include "framework/core/stream.h"
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"

#include <algorithm>
#include <cstring>

namespace qm {

TGIFColor TGIFColorMap::Color2RGB(TColor color) {
    return {static_cast<std::uint8_t>(color & 0xFF), static_cast<std::uint8_t>((color >> 8) & 0xFF),
            static_cast<std::uint8_t>((color >> 16) & 0xFF)};
}

TColor TGIFColorMap::RGB2Color(TGIFColor color) {
    return static_cast<TColor>(color.Red) + static_cast<TColor>(color.Green) * 256u +
           static_cast<TColor>(color.Blue) * 65536u;
}

void TGIFColorMap::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    count_ = 0;
    capacity_ = 0;
    optimized_ = false;
}

void TGIFColorMap::SetCapacity(int size) {
    if (size < capacity_)
        return;
    const int rounded = size <= 16 ? 16 : (size + 31) / 32 * 32;
    capacity_ = std::min(rounded, 256);
    data_.resize(static_cast<std::size_t>(capacity_));
}

int TGIFColorMap::Add(TColor color) {
    if (count_ > 255)
        throw GIFException(sTooManyColors);
    if (count_ >= capacity_)
        SetCapacity(count_ + 1);
    const int index = count_;
    data_[static_cast<std::size_t>(index)] = Color2RGB(color);
    ++count_;
    optimized_ = false;
    Changed();
    return index;
}

int TGIFColorMap::AddUnique(TColor color) {
    const int index = IndexOf(color);
    return index >= 0 ? index : Add(color);
}

int TGIFColorMap::IndexOf(TColor color) const {
    const TGIFColor wanted = Color2RGB(color);
    // An optimised map holds the most used of equal colours first.
    if (optimized_) {
        for (int i = 0; i < count_; ++i)
            if (data_[static_cast<std::size_t>(i)] == wanted)
                return i;
        return -1;
    }
    for (int i = count_ - 1; i >= 0; --i)
        if (data_[static_cast<std::size_t>(i)] == wanted)
            return i;
    return -1;
}

void TGIFColorMap::CheckIndex(int index) const {
    if (index < 0 || index >= count_)
        throw GIFException(sBadColorIndex);
}

void TGIFColorMap::Delete(int index) {
    CheckIndex(index);
    data_.erase(data_.begin() + index);
    data_.emplace_back();
    --count_;
    optimized_ = false;
    Changed();
}

TColor TGIFColorMap::GetColor(int index) {
    if (index < 0 || index >= count_) {
        Warning(TGIFSeverity::gsWarning, sBadColorIndex);
        if (count_ == 0)
            throw GIFException(sEmptyColorMap);
        index = 0;
    }
    return RGB2Color(data_[static_cast<std::size_t>(index)]);
}

void TGIFColorMap::SetColor(int index, TColor color) {
    CheckIndex(index);
    data_[static_cast<std::size_t>(index)] = Color2RGB(color);
    Changed();
}

int TGIFColorMap::GetBitsPerPixel() const {
    if (count_ == 0)
        return 0;
    int bits = 1;
    while ((1 << bits) < count_)
        ++bits;
    return bits;
}

void TGIFColorMap::ImportPalette(const TPalette& palette) {
    Clear();
    const int count = std::min(palette.Count(), 256);
    if (count == 0)
        return;
    SetCapacity(count);
    for (int i = 0; i < count; ++i)
        data_[static_cast<std::size_t>(i)] = {palette[i].peRed, palette[i].peGreen, palette[i].peBlue};
    count_ = count;
    Changed();
}

void TGIFColorMap::ImportColorMap(std::span<const TGIFColor> map, int count) {
    Clear();
    count = std::clamp(count, 0, static_cast<int>(std::min<std::size_t>(map.size(), 256)));
    if (count == 0)
        return;
    SetCapacity(count);
    std::copy_n(map.begin(), count, data_.begin());
    count_ = count;
    Changed();
}

void TGIFColorMap::ImportColorTable(const void* table, int count) {
    Clear();
    count = std::clamp(count, 0, 256);
    if (count == 0)
        return;
    SetCapacity(count);
    const auto* entry = static_cast<const std::uint8_t*>(table);
    for (int i = 0; i < count; ++i, entry += 4)
        data_[static_cast<std::size_t>(i)] = {entry[2], entry[1], entry[0]};
    count_ = count;
    Changed();
}

void TGIFColorMap::ImportDIBColors(const QImage& image) {
    // A QRgb sits in memory as blue, green, red, alpha: the layout of a bitmap's colour table.
    const QList<QRgb> table = image.colorTable();
    ImportColorTable(table.constData(), static_cast<int>(std::min<qsizetype>(table.size(), 256)));
    Changed();
}

std::optional<TPalette> TGIFColorMap::ExportPalette() const {
    if (count_ == 0)
        return std::nullopt;
    std::vector<TPaletteEntry> entries;
    entries.reserve(static_cast<std::size_t>(count_));
    for (int i = 0; i < count_; ++i) {
        const TGIFColor& c = data_[static_cast<std::size_t>(i)];
        entries.push_back({c.Red, c.Green, c.Blue, PC_NOCOLLAPSE});
    }
    return TPalette(std::move(entries));
}

void TGIFColorMap::SaveToStream(QIODevice& stream) const {
    if (count_ == 0)
        return;
    std::vector<TGIFColor> table(std::size_t{1} << GetBitsPerPixel());
    std::copy_n(data_.begin(), count_, table.begin());
    WriteCheck(stream, table.data(), table.size() * sizeof(TGIFColor));
}

void TGIFColorMap::LoadFromStream(QIODevice& stream, int count) {
    Clear();
    count = std::clamp(count, 0, 256);
    SetCapacity(count);
    ReadCheck(stream, data_.data(), static_cast<std::size_t>(count) * sizeof(TGIFColor));
    count_ = count;
}

void TGIFColorMap::Assign(const TPersistent& source) {
    const auto* other = dynamic_cast<const TGIFColorMap*>(&source);
    if (other == nullptr) {
        TPersistent::Assign(source);
        return;
    }
    if (other == this)
        return;
    std::vector<TGIFColor> fresh(static_cast<std::size_t>(other->capacity_));
    std::copy_n(other->data_.begin(), other->count_, fresh.begin());
    data_ = std::move(fresh);
    capacity_ = other->capacity_;
    count_ = other->count_;
    optimized_ = other->optimized_;
    Changed();
}

void TGIFColorMap::ResetHistogram(TUsageCount& histogram) {
    for (std::size_t i = 0; i < histogram.size(); ++i)
        histogram[i] = {0, static_cast<std::int32_t>(i)};
}

void TGIFColorMap::CountPixels(const TGIFSubImage& frame, TUsageCount& histogram) const {
    // A transparent index beyond the map is no colour: its pixels show what lies below.
    const auto* gce = frame.GraphicControlExtension;
    const int beyond = gce != nullptr && frame.Transparent && gce->GetTransparent() &&
                               gce->GetTransparentColorIndex() >= count_
                           ? gce->GetTransparentColorIndex()
                           : -1;
    for (const std::uint8_t pixel : frame.Data())
        if (pixel != beyond)
            ++histogram[pixel].Count;
}

void TGIFColorMap::RemapFrame(TGIFSubImage& frame, const TColorIndexMap& map) {
    for (std::uint8_t& pixel : frame.Data())
        pixel = map[pixel];
    // The renderer takes the first control block's index whenever the frame is transparent, also
    // when another block made it so.
    auto* gce = frame.GraphicControlExtension;
    if (gce != nullptr && frame.Transparent)
        gce->StoreTransparentColorIndex(map[static_cast<std::size_t>(gce->GetTransparentColorIndex())]);
}

bool TGIFColorMap::DoOptimize() {
    if (count_ <= 1)
        return false;
    optimized_ = true;
    TUsageCount histogram;
    BuildHistogram(histogram);
    // A pixel beyond the map shows black; sorting would give it a colour, or leave it beyond a
    // smaller table that the writer refuses. Such a map stays as it is, as copying keeps it.
    for (std::size_t k = static_cast<std::size_t>(count_); k < histogram.size(); ++k)
        if (histogram[k].Count > 0)
            return false;
    SortDescending(std::span(histogram).first(static_cast<std::size_t>(count_)),
                   [](const TUsageRec& rec) { return rec.Count; });
    bool moved = false;
    for (int i = 0; i < count_ && !moved; ++i)
        moved = histogram[static_cast<std::size_t>(i)].Index != i;
    if (!moved)
        return true;
    // Indices beyond the map (a transparent index no colour stands behind) keep their value.
    TColorIndexMap reverse{};
    for (std::size_t k = 0; k < reverse.size(); ++k)
        reverse[k] = static_cast<std::uint8_t>(k);
    for (int j = 0; j < count_; ++j)
        reverse[static_cast<std::size_t>(histogram[static_cast<std::size_t>(j)].Index)] =
            static_cast<std::uint8_t>(j);
    MapImages(reverse);
    const std::vector<TGIFColor> old(data_.begin(), data_.begin() + count_);
    int used = count_;
    for (int k = 0; k < count_; ++k) {
        data_[reverse[static_cast<std::size_t>(k)]] = old[static_cast<std::size_t>(k)];
        if (used == count_ && histogram[static_cast<std::size_t>(k)].Count == 0)
            used = k;
    }
    count_ = used;
    Changed();
    return true;
}

// --- global map: serves every frame without colours of its own ---

namespace {

template <class F> void ForEachFrameServedBy(TGIFHeader* header, const TGIFColorMap& map, F&& f) {
    TGIFImage* image = header != nullptr ? header->Image() : nullptr;
    if (image == nullptr)
        return;
    for (const auto& frame : image->Images())
        if (&frame->GetActiveColorMap() == &map)
            f(*frame);
}

} // namespace

void TGIFGlobalColorMap::Warning(TGIFSeverity severity, const std::string& message) {
    GIFImageWarning(header_ != nullptr ? header_->Image() : nullptr, *this, severity, message);
}

void TGIFGlobalColorMap::BuildHistogram(TUsageCount& histogram) {
    ResetHistogram(histogram);
    ForEachFrameServedBy(header_, *this, [&](TGIFSubImage& frame) { CountPixels(frame, histogram); });
}

void TGIFGlobalColorMap::MapImages(const TColorIndexMap& map) {
    ForEachFrameServedBy(header_, *this, [&](TGIFSubImage& frame) { RemapFrame(frame, map); });
}

bool TGIFGlobalColorMap::Optimize() {
    TGIFImage* image = header_ != nullptr ? header_->Image() : nullptr;
    if (image == nullptr || image->Images().Count() == 0)
        return false;
    return DoOptimize();
}

void TGIFGlobalColorMap::Changed() {
    if (header_ != nullptr && header_->Image() != nullptr)
        header_->Image()->FreePalette();
}

// --- local map: serves its own frame ---

void TGIFLocalColorMap::Warning(TGIFSeverity severity, const std::string& message) {
    GIFImageWarning(subImage_ != nullptr ? subImage_->Image() : nullptr, *this, severity, message);
}

void TGIFLocalColorMap::BuildHistogram(TUsageCount& histogram) {
    ResetHistogram(histogram);
    if (subImage_ != nullptr)
        CountPixels(*subImage_, histogram);
}

void TGIFLocalColorMap::MapImages(const TColorIndexMap& map) {
    if (subImage_ != nullptr)
        RemapFrame(*subImage_, map);
}

bool TGIFLocalColorMap::Optimize() {
    return DoOptimize();
}

void TGIFLocalColorMap::Changed() {
    if (subImage_ != nullptr)
        subImage_->FreePalette();
}

} // namespace qm
