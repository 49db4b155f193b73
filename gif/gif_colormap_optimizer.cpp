#include "gif/gif_colormap_optimizer.h"

#include "colour/descending_quicksort.h"
#include "gif/gif_exception.h"
#include "gif/gif_optimize_support.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace qm {

namespace {

constexpr std::int32_t kMostUses = std::numeric_limits<std::int32_t>::max();

std::int32_t SaturatingAdd(std::int32_t a, std::int64_t b) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(kMostUses, a + b));
}

std::int32_t UsageOf(const THistogramEntry* entry) {
    return entry->Usage;
}

std::int32_t ColourValueOf(const THistogramEntry* entry) {
    return entry->Color.Red + 256 * entry->Color.Green + 65536 * entry->Color.Blue;
}

// Nearness as the colour maps have always measured it: the summed differences, not the sum of
// absolute differences.
int Distance(const TGIFColor& a, const TGIFColor& b) {
    return std::abs((a.Red - b.Red) + (a.Green - b.Green) + (a.Blue - b.Blue));
}

} // namespace

THistogram::THistogram(TGIFColorMap& map)
    : entries_(static_cast<std::size_t>(map.Count())), count_(map.Count()), colorMap_(&map) {
    list_.reserve(entries_.size());
    for (int i = 0; i < count_; ++i) {
        THistogramEntry& entry = entries_[static_cast<std::size_t>(i)];
        entry.Index = i;
        entry.Color = map[i];
        list_.push_back(&entry);
    }
}

bool THistogram::ProcessSubImage(TGIFSubImage& frame) {
    frames_.push_back(&frame);
    std::array<std::int64_t, 256> uses{};
    for (const std::uint8_t pixel : frame.Data())
        ++uses[pixel];
    const auto t = TransparentIndex(frame);
    const bool usesTransparency = t && uses[*t] > 0;
    if (t)
        uses[*t] = 0;
    std::int64_t outside = 0;
    for (int i = count_; i < 256; ++i)
        outside += uses[static_cast<std::size_t>(i)];
    if (outside > 0) {
        for (std::uint8_t& pixel : frame.Data())
            if (pixel >= count_ && !(t && pixel == *t))
                pixel = 0;
        uses[0] += outside;
        frame.Warning(TGIFSeverity::gsWarning, sInvalidColor);
    }
    for (int i = 0; i < count_; ++i) {
        THistogramEntry& entry = entries_[static_cast<std::size_t>(i)];
        entry.Usage = SaturatingAdd(entry.Usage, uses[static_cast<std::size_t>(i)]);
    }
    if (t && !usesTransparency) {
        frame.GraphicControlExtension->StoreTransparentColorIndex(0);
        frame.GraphicControlExtension->SetTransparent(false);
    }
    return usesTransparency;
}

void THistogram::Prune() {
    SortDescending(std::span(list_), UsageOf);
    const auto firstUnused = std::find_if(list_.begin(), list_.end(),
                                          [](const THistogramEntry* entry) { return entry->Usage == 0; });
    for (auto it = firstUnused; it != list_.end(); ++it)
        (*it)->Usage = -1;
    list_.erase(firstUnused, list_.end());
}

void THistogram::MapImages(bool transparencyUsed, std::uint8_t newTransparentIndex) const {
    TColorIndexMap table{};
    for (const THistogramEntry& entry : entries_)
        if (entry.Usage >= 0)
            table[static_cast<std::size_t>(entry.Index)] = static_cast<std::uint8_t>(entry.NewIndex);
    for (TGIFSubImage* frame : frames_) {
        const auto t = transparencyUsed ? TransparentIndex(*frame) : std::nullopt;
        if (t) {
            frame->GraphicControlExtension->StoreTransparentColorIndex(newTransparentIndex);
            for (std::uint8_t& pixel : frame->Data())
                pixel = pixel == *t ? newTransparentIndex : table[pixel];
        } else {
            for (std::uint8_t& pixel : frame->Data())
                pixel = table[pixel];
        }
    }
}

TColorMapOptimizer::TColorMapOptimizer(TGIFImage& image) : image_(image) {}

int TColorMapOptimizer::Optimize() {
    Analyze();
    for (const auto& histogram : histograms_) {
        histogram->Prune();
        combined_.insert(combined_.end(), histogram->List().begin(), histogram->List().end());
    }
    MergeEqualColors();
    const int lost = AssignIndices();
    ReplaceColorMaps();
    for (const auto& histogram : histograms_)
        histogram->MapImages(transparencyUsed_, newTransparentIndex_);
    for (const auto& frame : image_.Images()) {
        frame->FreeBitmap();
        frame->FreeMask();
        frame->FreePalette();
    }
    image_.FreeBitmap();
    return lost;
}

void TColorMapOptimizer::Analyze() {
    TGIFColorMap& global = image_.ColorMap();
    if (global.Count() > 0) {
        auto histogram = std::make_unique<THistogram>(global);
        for (const auto& frame : image_.Images())
            if (!frame->GetEmpty() && frame->ColorMap().Count() == 0)
                transparencyUsed_ |= histogram->ProcessSubImage(*frame);
        if (!histogram->Frames().empty())
            histograms_.push_back(std::move(histogram));
    }
    for (const auto& frame : image_.Images()) {
        if (frame->GetEmpty() || frame->ColorMap().Count() == 0)
            continue;
        auto histogram = std::make_unique<THistogram>(frame->ColorMap());
        transparencyUsed_ |= histogram->ProcessSubImage(*frame);
        histograms_.push_back(std::move(histogram));
    }
}

// Walking the list sorted by colour, each run of one colour folds into its first entry.
void TColorMapOptimizer::MergeEqualColors() {
    SortDescending(std::span(combined_), ColourValueOf);
    THistogramEntry* survivor = nullptr;
    for (THistogramEntry* entry : combined_) {
        if (survivor != nullptr && entry->Color == survivor->Color) {
            survivor->Usage = SaturatingAdd(survivor->Usage, entry->Usage);
            entry->Usage = 0;
            entry->Link = survivor;
        } else {
            survivor = entry;
        }
    }
}

int TColorMapOptimizer::AssignIndices() {
    SortDescending(std::span(combined_), UsageOf);
    const int room = transparencyUsed_ ? 255 : 256;
    const auto used =
        std::find_if(combined_.begin(), combined_.end(), [](const auto* e) { return e->Usage <= 0; });
    finalCount_ = static_cast<int>(std::min<std::ptrdiff_t>(used - combined_.begin(), room));
    for (int k = 0; k < finalCount_; ++k) {
        combined_[static_cast<std::size_t>(k)]->NewIndex = k;
        newColorMap_[static_cast<std::size_t>(k)] = combined_[static_cast<std::size_t>(k)]->Color;
    }
    int lost = 0;
    // A used colour without room shows as the nearest kept one; the earliest wins a tie, and even
    // the farthest colour is nearer than none.
    for (auto it = combined_.begin() + finalCount_; it != used; ++it) {
        int best = 766;
        for (int k = 0; k < finalCount_; ++k) {
            const int distance = Distance((*it)->Color, newColorMap_[static_cast<std::size_t>(k)]);
            if (distance < best) {
                best = distance;
                (*it)->NewIndex = k;
            }
        }
        ++lost;
    }
    for (auto it = used; it != combined_.end(); ++it)
        if ((*it)->Link != nullptr)
            (*it)->NewIndex = (*it)->Link->NewIndex;
    if (transparencyUsed_) {
        newColorMap_[static_cast<std::size_t>(finalCount_)] = TGIFColor{};
        newTransparentIndex_ = static_cast<std::uint8_t>(finalCount_);
        ++finalCount_;
    }
    return lost;
}

void TColorMapOptimizer::ReplaceColorMaps() {
    for (const auto& frame : image_.Images())
        frame->ColorMap().Clear();
    KeepingBackgroundColour(image_, [this] {
        image_.ColorMap().ImportColorMap(newColorMap_, finalCount_);
        image_.ColorMap().SetOptimized(true);
    });
}

int TGIFImage::OptimizeColorMap() {
    // No painter may read frames or maps while they change.
    PaintStop();
    const auto paintersLock = Painters().LockList();
    return TColorMapOptimizer(*this).Optimize();
}

} // namespace qm
