#pragma once
// Merging the global and every local colour map of an image into one global map of at most 256
// colours: each map's use is counted, unused colours dropped, equal colours merged, the most used
// kept, and every pixel rewritten to the merged map.

#include "gif/gif_colormap.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace qm {

class TGIFImage;
class TGIFSubImage;

// One entry of a colour map under optimisation.
struct THistogramEntry {
    std::int32_t Usage = 0;          // pixels of this colour; -1 once dropped as unused
    std::int32_t Index = 0;          // the entry's index in its own colour map
    std::int32_t NewIndex = 256;     // index in the merged map; 256 until assigned
    TGIFColor Color;                 // red, green, blue
    THistogramEntry* Link = nullptr; // the surviving entry of an equal colour, once merged
};

// The use of one colour map's entries by the frames drawn with it.
class THistogram {
public:
    explicit THistogram(TGIFColorMap& map);
    // Counts the frame's pixels and adds it to the frames of this map. A pixel beyond the map
    // becomes 0 (with one warning per frame); a transparent index that no pixel uses is dropped.
    // Returns whether the frame shows transparent pixels.
    bool ProcessSubImage(TGIFSubImage& frame);
    // Sorts the entries by use and cuts the unused ones off the list.
    void Prune();
    // Rewrites the pixels of every counted frame into the merged map.
    void MapImages(bool transparencyUsed, std::uint8_t newTransparentIndex) const;

    std::vector<THistogramEntry*>& List() { return list_; }
    const std::vector<TGIFSubImage*>& Frames() const { return frames_; }
    int Count() const { return count_; }

private:
    std::vector<THistogramEntry> entries_;
    int count_;
    TGIFColorMap* colorMap_;
    std::vector<THistogramEntry*> list_;
    std::vector<TGIFSubImage*> frames_;
};

// One run of the colour map merge over an image.
class TColorMapOptimizer {
public:
    explicit TColorMapOptimizer(TGIFImage& image);
    // Returns how many used colours found no room in the merged map.
    int Optimize();

private:
    void Analyze();
    void MergeEqualColors();
    int AssignIndices();
    void ReplaceColorMaps();

    TGIFImage& image_;
    std::vector<std::unique_ptr<THistogram>> histograms_;
    std::vector<THistogramEntry*> combined_;
    std::array<TGIFColor, 256> newColorMap_{};
    int finalCount_ = 0;
    bool transparencyUsed_ = false;
    std::uint8_t newTransparentIndex_ = 0;
};

} // namespace qm
