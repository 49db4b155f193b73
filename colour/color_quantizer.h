#pragma once
// The octree quantizer: chooses a palette of at most a given number of colours for one or more
// true-colour bitmaps. Every pixel walks down the tree by the bits of its channels; whenever
// there are more leaves than colours, the most recently created node of the deepest level that
// still has children is folded into a leaf holding their sums.

#include "colour/dib.h"
#include "framework/graphics/palette.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace qm {

class TBitmap;

struct TOctreeNode {
    bool leaf = false;
    // 64-bit sums: a large picture of light colours overflows 32 bits.
    std::int64_t pixelCount = 0;
    std::int64_t redSum = 0;
    std::int64_t greenSum = 0;
    std::int64_t blueSum = 0;
    TOctreeNode* next = nullptr; // the next interior node of the same level not yet folded
    std::array<std::unique_ptr<TOctreeNode>, 8> children;
};

// A colour-table entry in the order of a device-independent bitmap.
struct TRGBQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};

class TColorQuantizer {
public:
    // `maxColors` 1..256 and `colorBits` 1..8 (the depth at which leaves are made); other values
    // raise EInvalidGraphicOperation.
    TColorQuantizer(int maxColors, int colorBits);
    ~TColorQuantizer();
    TColorQuantizer(const TColorQuantizer&) = delete;
    TColorQuantizer& operator=(const TColorQuantizer&) = delete;

    // Adds every pixel of the reader's 24-bit bitmap, top row first, left to right.
    void AddImage(TDIBReader& reader);
    // Adds one pixel, then folds until the leaves fit the colour limit.
    void AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

    void InsertColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    void FoldDeepestNode();
    // Writes one entry per leaf in tree order (each leaf's average, rounded down) and returns how
    // many were written.
    int BuildColorTable(std::array<TRGBQuad, 256>& table) const;

    int LeafCount() const { return leafCount_; }

private:
    TOctreeNode* NewNode(int level);
    static void AppendLeaves(const TOctreeNode& node, std::array<TRGBQuad, 256>& table, int& count);

    std::unique_ptr<TOctreeNode> tree_;
    int leafCount_ = 0;
    std::array<TOctreeNode*, 8> reducibleNodes_{};
    int maxColors_;
    int colorBits_;
};

// A palette of at most `colors` colours for the bitmap, which is converted to 24 bits per pixel
// in place. With the system colours the palette has 256 entries: the stock palette's first ten
// colours at 0..9, up to 236 octree colours from 10 on, black up to 245 and the stock palette's
// last ten colours at 246..255. Without them it holds exactly the octree's colours.
TPalette CreateOptimizedPaletteFromOneBitmap(TBitmap& bitmap, int colors, int colorBits, bool systemColors);

// One palette shared by all the bitmaps, fed to the quantizer in list order. An empty list or a
// null entry raises "Invalid bitmap list".
TPalette CreateOptimizedPaletteFromManyBitmaps(const std::vector<TBitmap*>& bitmaps, int colors,
                                               int colorBits, bool systemColors);

} // namespace qm
