// The frame operations of the optimisation: cropping transparent borders and making pixels
// transparent that repeat the frame before.
#include "gif/gif_image.h"
#include "gif/gif_optimize_support.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qm {

namespace {

// The pixel rectangle (x0, y0 inclusive; x1, y1 exclusive) in screen coordinates.
struct ScreenBox {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
};

ScreenBox BoxOf(const TGIFSubImage& frame) {
    return {frame.Left(), frame.Top(), frame.Left() + frame.Width(), frame.Top() + frame.Height()};
}

ScreenBox Intersection(const ScreenBox& a, const ScreenBox& b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

// The box around the pixels other than `t`, in frame coordinates; empty when there are none.
ScreenBox VisibleBox(const TGIFSubImage& frame, std::uint8_t t) {
    const int width = frame.Width();
    ScreenBox box{width, frame.Height(), 0, 0};
    const std::uint8_t* row = frame.Data().data();
    for (int y = 0; y < frame.Height(); ++y, row += width) {
        const std::uint8_t* end = row + width;
        const std::uint8_t* first = std::find_if(row, end, [t](std::uint8_t p) { return p != t; });
        if (first == end)
            continue;
        const std::uint8_t* last =
            std::find_if(std::make_reverse_iterator(end), std::make_reverse_iterator(first),
                         [t](std::uint8_t p) { return p != t; })
                .base();
        box.x0 = std::min(box.x0, static_cast<int>(first - row));
        box.x1 = std::max(box.x1, static_cast<int>(last - row));
        box.y0 = std::min(box.y0, y);
        box.y1 = y + 1;
    }
    return box;
}

// The colour of every index as one number; an index beyond the map gets a number no colour has
// (`outside` + index), so that it equals nothing of another map.
std::array<std::uint32_t, 256> ColourKeys(const TGIFColorMap& map, std::uint32_t outside) {
    std::array<std::uint32_t, 256> keys{};
    for (int i = 0; i < 256; ++i)
        keys[static_cast<std::size_t>(i)] =
            i < map.Count() ? TGIFColorMap::RGB2Color(map[i]) : outside + static_cast<std::uint32_t>(i);
    return keys;
}

std::size_t RowStart(const TGIFSubImage& frame, int row) {
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(frame.Width());
}

bool Holds(const TGIFSubImage& frame, std::uint8_t index) {
    return std::find(frame.Data().begin(), frame.Data().end(), index) != frame.Data().end();
}

} // namespace

void TGIFSubImage::Crop() {
    const auto t = TransparentIndex(*this);
    if (GetEmpty() || !t)
        return;
    const ScreenBox box = VisibleBox(*this, *t);
    if (box.Empty()) {
        Clear();
        return;
    }
    // A frame near the format's largest position cannot move further right or down: the new
    // position would wrap round to the screen's top left corner and show what was off screen.
    if (Left() + box.x0 > 0xFFFF || Top() + box.y0 > 0xFFFF)
        return;
    if (box.x0 == 0 && box.y0 == 0 && box.x1 == Width() && box.y1 == Height())
        return; // nothing to cut: the kept compressed data stays
    DropKeptData();
    const int width = box.x1 - box.x0;
    const int height = box.y1 - box.y0;
    std::vector<std::uint8_t> cropped(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto from = data_.begin() + static_cast<std::ptrdiff_t>(box.y0 + y) * Width() + box.x0;
        std::copy_n(from, width, cropped.begin() + static_cast<std::ptrdiff_t>(y) * width);
    }
    data_ = std::move(cropped);
    descriptor_.Left = static_cast<std::uint16_t>(Left() + box.x0);
    descriptor_.Top = static_cast<std::uint16_t>(Top() + box.y0);
    descriptor_.Width = static_cast<std::uint16_t>(width);
    descriptor_.Height = static_cast<std::uint16_t>(height);
    FreeBitmap();
    FreeMask();
}

namespace {

// An entry of the frame's map that none of its pixels shows: as the transparent index it makes
// only the replaced pixels transparent, and a full map needs no room for a new entry.
std::optional<std::uint8_t> UnusedIndex(TGIFSubImage& frame) {
    std::array<bool, 256> used{};
    for (const std::uint8_t p : std::as_const(frame).Data())
        used[p] = true;
    const int count = frame.GetActiveColorMap().Count();
    for (int i = count - 1; i >= 0; --i)
        if (!used[static_cast<std::size_t>(i)])
            return static_cast<std::uint8_t>(i);
    return std::nullopt;
}

// Whether a frame without transparency can be given a transparent index: an entry none of its
// pixels shows, or room for one more colour in the map it draws with.
bool CanAddTransparentIndex(TGIFSubImage& frame) {
    if (UnusedIndex(frame))
        return true;
    if (frame.ColorMap().Count() > 0)
        return frame.ColorMap().Count() < 256;
    TGIFImage* image = frame.Image();
    const int global = image != nullptr ? image->ColorMap().Count() : 0;
    return global >= 1 && global <= 255;
}

// A transparent index for a frame that had none. Another frame's index in the shared global map
// is reused only when this frame shows no pixel of it: otherwise those pixels would vanish. Then
// an entry the frame does not show, and only without one a new entry, which may widen the table.
std::uint8_t FetchTransparentIndex(TGIFSubImage& frame) {
    TGIFImage* image = frame.Image();
    if (frame.ColorMap().Count() == 0 && image != nullptr) {
        for (const auto& other : image->Images()) {
            const auto t = TransparentIndex(*other);
            if (other.get() != &frame && t && other->ColorMap().Count() == 0 && !Holds(frame, *t))
                return *t;
        }
    }
    if (const auto unused = UnusedIndex(frame))
        return *unused;
    return static_cast<std::uint8_t>(frame.GetActiveColorMap().Add(0));
}

} // namespace

void TGIFSubImage::Merge(TGIFSubImage* previous) {
    if (GetEmpty() || previous == nullptr || previous->GetEmpty() ||
        DisposalUndoesFrame(ShownDisposal(*previous)))
        return;
    const ScreenBox overlap = Intersection(BoxOf(*this), BoxOf(*previous));
    const auto ownT = TransparentIndex(*this);
    if (overlap.Empty() || (!ownT && !CanAddTransparentIndex(*this)))
        return;
    const auto previousT = TransparentIndex(*previous);
    const TGIFColorMap& map = GetActiveColorMap();
    const TGIFColorMap& previousMap = previous->GetActiveColorMap();
    const bool sameMap = &map == &previousMap;
    const auto keys = ColourKeys(map, 0x1000000);
    const auto previousKeys = ColourKeys(previousMap, 0x2000000);
    std::optional<std::uint8_t> t = ownT;
    bool replaced = false;
    const int width = overlap.x1 - overlap.x0;
    // Written only where a pixel is replaced, so that a frame left as it was keeps its kept data.
    const std::uint8_t* previousPixels = std::as_const(*previous).Data().data();
    for (int y = overlap.y0; y < overlap.y1; ++y) {
        std::uint8_t* row = data_.data() + RowStart(*this, y - Top()) + (overlap.x0 - Left());
        const std::uint8_t* previousRow =
            previousPixels + RowStart(*previous, y - previous->Top()) + (overlap.x0 - previous->Left());
        for (int x = 0; x < width; ++x) {
            const std::uint8_t p = row[x];
            const std::uint8_t q = previousRow[x];
            if ((ownT && p == *ownT) || (previousT && q == *previousT))
                continue;
            if (sameMap ? p != q : keys[p] != previousKeys[q])
                continue;
            if (!t)
                t = FetchTransparentIndex(*this);
            row[x] = *t;
            replaced = true;
        }
    }
    if (!replaced)
        return;
    DropKeptData();
    if (!ownT) {
        if (GraphicControlExtension == nullptr)
            extensions_->Add(std::make_unique<TGIFGraphicControlExtension>(this));
        GraphicControlExtension->SetTransparent(true);
        GraphicControlExtension->StoreTransparentColorIndex(*t);
    }
    FreeBitmap();
    FreeMask();
}

} // namespace qm
