#include "colour/color_quantizer.h"

#include "colour/color_errors.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/stock_palettes.h"

#include <algorithm>
#include <span>

namespace qm {

namespace {

constexpr int kSystemColours = 10; // at each end of a palette with system colours
constexpr int kPaletteSize = 256;

int ChildIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue, int level) {
    const int shift = 7 - level;
    return (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
}

std::uint8_t Average(std::int64_t sum, std::int64_t count) {
    return static_cast<std::uint8_t>(sum / count);
}

void AddPixelsOf(TBitmap& bitmap, TColorQuantizer& quantizer) {
    TDIBReader reader(bitmap, TPixelFormat::pf24bit);
    quantizer.AddImage(reader);
}

// Feeds every bitmap to one quantizer and lays out its colours as the palette.
TPalette OptimizedPalette(std::span<TBitmap* const> bitmaps, int colors, int colorBits, bool systemColors) {
    const int octreeColors = systemColors ? kPaletteSize - 2 * kSystemColours : colors;
    std::array<TRGBQuad, 256> table{};
    int count = 0;
    {
        TColorQuantizer quantizer(octreeColors, colorBits);
        for (TBitmap* bitmap : bitmaps)
            AddPixelsOf(*bitmap, quantizer);
        count = quantizer.BuildColorTable(table);
    }
    const int first = systemColors ? kSystemColours : 0;
    std::vector<TPaletteEntry> entries(static_cast<std::size_t>(systemColors ? kPaletteSize : count));
    for (int i = 0; i < count; ++i) {
        const TRGBQuad& q = table[static_cast<std::size_t>(i)];
        entries[static_cast<std::size_t>(first + i)] = {q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    }
    if (systemColors) {
        const TPalette stock = StockDefaultPalette();
        std::copy_n(stock.Entries().begin(), kSystemColours, entries.begin());
        std::copy_n(stock.Entries().begin() + kSystemColours, kSystemColours, entries.end() - kSystemColours);
    }
    return TPalette(std::move(entries));
}

} // namespace

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : maxColors_(maxColors), colorBits_(colorBits) {
    if (maxColors < 1 || maxColors > kPaletteSize)
        throw EInvalidGraphicOperation("Invalid number of palette colours");
    if (colorBits < 1 || colorBits > 8)
        throw EInvalidGraphicOperation(sInvalidBitSize);
}

TColorQuantizer::~TColorQuantizer() = default;

TOctreeNode* TColorQuantizer::NewNode(int level) {
    auto node = std::make_unique<TOctreeNode>();
    if (level == colorBits_) {
        node->leaf = true;
        ++leafCount_;
    } else {
        node->next = reducibleNodes_[static_cast<std::size_t>(level)];
        reducibleNodes_[static_cast<std::size_t>(level)] = node.get();
    }
    return node.release();
}

void TColorQuantizer::InsertColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    if (!tree_)
        tree_.reset(NewNode(0));
    TOctreeNode* node = tree_.get();
    for (int level = 0; !node->leaf; ++level) {
        std::unique_ptr<TOctreeNode>& child =
            node->children[static_cast<std::size_t>(ChildIndex(red, green, blue, level))];
        if (!child)
            child.reset(NewNode(level + 1));
        node = child.get();
    }
    ++node->pixelCount;
    node->redSum += red;
    node->greenSum += green;
    node->blueSum += blue;
}

void TColorQuantizer::FoldDeepestNode() {
    int level = colorBits_ - 1;
    while (level > 0 && reducibleNodes_[static_cast<std::size_t>(level)] == nullptr)
        --level;
    TOctreeNode* node = reducibleNodes_[static_cast<std::size_t>(level)];
    if (node == nullptr)
        return; // only leaves left: nothing can be folded
    reducibleNodes_[static_cast<std::size_t>(level)] = node->next;
    node->next = nullptr;
    int children = 0;
    for (std::unique_ptr<TOctreeNode>& child : node->children) {
        if (!child)
            continue;
        node->redSum += child->redSum;
        node->greenSum += child->greenSum;
        node->blueSum += child->blueSum;
        node->pixelCount += child->pixelCount;
        ++children;
    }
    for (auto child = node->children.rbegin(); child != node->children.rend(); ++child)
        child->reset();
    node->leaf = true;
    leafCount_ -= children - 1;
}

void TColorQuantizer::AddColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    InsertColor(red, green, blue);
    while (leafCount_ > maxColors_)
        FoldDeepestNode();
}

void TColorQuantizer::AddImage(TDIBReader& reader) {
    for (int row = 0; row < reader.Height(); ++row) {
        const std::uint8_t* pixel = reader.RowPointer(row);
        for (int x = 0; x < reader.Width(); ++x, pixel += 3)
            AddColor(pixel[2], pixel[1], pixel[0]);
    }
}

void TColorQuantizer::AppendLeaves(const TOctreeNode& node, std::array<TRGBQuad, 256>& table, int& count) {
    if (node.leaf) {
        TRGBQuad& entry = table[static_cast<std::size_t>(count++)];
        entry = {};
        if (node.pixelCount > 0)
            entry = {Average(node.blueSum, node.pixelCount), Average(node.greenSum, node.pixelCount),
                     Average(node.redSum, node.pixelCount), 0};
        return;
    }
    for (const std::unique_ptr<TOctreeNode>& child : node.children)
        if (child)
            AppendLeaves(*child, table, count);
}

int TColorQuantizer::BuildColorTable(std::array<TRGBQuad, 256>& table) const {
    int count = 0;
    if (tree_)
        AppendLeaves(*tree_, table, count);
    return count;
}

TPalette CreateOptimizedPaletteFromOneBitmap(TBitmap& bitmap, int colors, int colorBits, bool systemColors) {
    TBitmap* const list[] = {&bitmap};
    return OptimizedPalette(list, colors, colorBits, systemColors);
}

TPalette CreateOptimizedPaletteFromManyBitmaps(const std::vector<TBitmap*>& bitmaps, int colors,
                                               int colorBits, bool systemColors) {
    if (bitmaps.empty() || std::find(bitmaps.begin(), bitmaps.end(), nullptr) != bitmaps.end())
        throw GIFException(sInvalidBitmapList);
    return OptimizedPalette(bitmaps, colors, colorBits, systemColors);
}

} // namespace qm
