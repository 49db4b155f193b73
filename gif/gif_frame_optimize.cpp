// The frame operations of the optimisation: cropping transparent borders and making pixels
// transparent that repeat the frame before.
#include "gif/gif_image.h"
#include "gif/gif_optimize_support.h"

#include <algorithm>
#include <array>
#include <utility>

namespace qm {

namespace {

// The box around the pixels other than `t` of a frame `width` pixels wide, in frame coordinates;
// empty when there are none.
TScreenBox VisibleBox(const std::vector<std::uint8_t>& pixels, int width, std::uint8_t t) {
    const int height = width > 0 ? static_cast<int>(pixels.size() / static_cast<std::size_t>(width)) : 0;
    TScreenBox box{width, height, 0, 0};
    const std::uint8_t* row = pixels.data();
    for (int y = 0; y < height; ++y, row += width) {
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

// The pixels of `box` (frame coordinates) of a frame `width` pixels wide.
std::vector<std::uint8_t> PixelsIn(const std::vector<std::uint8_t>& pixels, int width,
                                   const TScreenBox& box) {
    const int boxWidth = box.x1 - box.x0;
    std::vector<std::uint8_t> cut(static_cast<std::size_t>(box.Area()));
    for (int y = box.y0; y < box.y1; ++y) {
        const auto from = pixels.begin() + static_cast<std::ptrdiff_t>(y) * width + box.x0;
        std::copy_n(from, boxWidth, cut.begin() + static_cast<std::ptrdiff_t>(y - box.y0) * boxWidth);
    }
    return cut;
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
    const TScreenBox box = VisibleBox(data_, Width(), *t);
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
    data_ = PixelsIn(data_, Width(), box);
    descriptor_.Left = static_cast<std::uint16_t>(Left() + box.x0);
    descriptor_.Top = static_cast<std::uint16_t>(Top() + box.y0);
    descriptor_.Width = static_cast<std::uint16_t>(box.x1 - box.x0);
    descriptor_.Height = static_cast<std::uint16_t>(box.y1 - box.y0);
    FreeBitmap();
    FreeMask();
}

namespace {

// An entry of the frame's map that none of its pixels shows: as the transparent index it makes
// only the replaced pixels transparent, and a full map needs no room for a new entry. The lowest
// such entry, as the codes of the frame need only be as wide as its largest index.
std::optional<std::uint8_t> UnusedIndex(TGIFSubImage& frame) {
    std::array<bool, 256> used{};
    for (const std::uint8_t p : std::as_const(frame).Data())
        used[p] = true;
    const int count = frame.GetActiveColorMap().Count();
    for (int i = 0; i < count; ++i)
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

struct TTransparentChoice {
    std::uint8_t index;
    bool append; // a new black entry at `index`, added once the merge goes ahead
};

// A transparent index for a frame that had none. Another frame's index in the shared global map
// is reused only when this frame shows no pixel of it: otherwise those pixels would vanish. Then a
// new black entry while the table has room for it at its width, else an entry the frame does not
// show; a wider table costs a bit per code of every frame drawn with it.
TTransparentChoice ChooseTransparentIndex(TGIFSubImage& frame) {
    TGIFImage* image = frame.Image();
    if (frame.ColorMap().Count() == 0 && image != nullptr) {
        for (const auto& other : image->Images()) {
            const auto t = TransparentIndex(*other);
            if (other.get() != &frame && t && other->ColorMap().Count() == 0 && !Holds(frame, *t))
                return {*t, false};
        }
    }
    const TGIFColorMap& map = frame.GetActiveColorMap();
    const int count = map.Count();
    const bool roomAtWidth = count > 0 && (1 << map.GetBitsPerPixel()) > count;
    if (const auto unused = UnusedIndex(frame); unused && !roomAtWidth)
        return {*unused, false};
    return {static_cast<std::uint8_t>(count), true};
}

} // namespace

void TGIFSubImage::Merge(TGIFSubImage* previous) {
    if (GetEmpty() || previous == nullptr || previous->GetEmpty() ||
        DisposalUndoesFrame(ShownDisposal(*previous)))
        return;
    TShownColours shown(BoxOf(*previous));
    shown.Draw(*previous);
    MergeShown(shown);
}

void TGIFSubImage::MergeShown(const TShownColours& shown) {
    const TScreenBox overlap = Intersection(BoxOf(*this), shown.Box());
    const auto ownT = TransparentIndex(*this);
    if (GetEmpty() || overlap.Empty() || (!ownT && !CanAddTransparentIndex(*this)))
        return;
    const auto keys = ColourKeys(GetActiveColorMap(), 0x1000000);
    std::optional<TTransparentChoice> choice;
    std::optional<std::uint8_t> t = ownT;
    std::vector<std::uint8_t> merged; // a copy of the pixels from the first one replaced
    for (int y = overlap.y0; y < overlap.y1; ++y) {
        const std::size_t row = RowStart(*this, y - Top());
        for (int x = overlap.x0; x < overlap.x1; ++x) {
            const std::size_t at = row + static_cast<std::size_t>(x - Left());
            const std::uint8_t p = data_[at];
            if ((ownT && p == *ownT) || keys[p] != shown.At(x, y))
                continue;
            if (!t) {
                choice = ChooseTransparentIndex(*this);
                t = choice->index;
            }
            if (merged.empty())
                merged = data_;
            merged[at] = *t;
        }
    }
    if (merged.empty())
        return;
    // Data kept from reading may be compressed better than our encoder manages, lossily even:
    // the merge goes ahead only when the frame's data, cropped to what stays visible, gets
    // shorter than that; a frame that turns wholly transparent goes. (A new entry for the
    // transparency has room in the table, and cannot be encoded before it is added.)
    const bool newEntry = choice && choice->append;
    const TScreenBox visible = VisibleBox(merged, Width(), *t);
    if (!kept_.bytes.empty() && !newEntry && *t < WrittenTable().colorCount && !visible.Empty()) {
        const std::size_t size =
            CompressPixels(PixelsIn(merged, Width(), visible), visible.x1 - visible.x0, false).size();
        if (size >= kept_.bytes.size())
            return;
    }
    data_ = std::move(merged);
    if (newEntry)
        GetActiveColorMap().Add(0);
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

TShownColours::TShownColours(const TScreenBox& box)
    : box_(box), keys_(static_cast<std::size_t>(box.Area()), kUnknown) {}

void TShownColours::Draw(TGIFSubImage& frame) {
    const TScreenBox area = Intersection(BoxOf(frame), box_);
    if (frame.GetEmpty() || area.Empty())
        return;
    const auto t = TransparentIndex(frame);
    // An index beyond the map shows what the renderer makes of it: no colour to match.
    auto keys = ColourKeys(frame.GetActiveColorMap(), 0);
    for (int i = frame.GetActiveColorMap().Count(); i < 256; ++i)
        keys[static_cast<std::size_t>(i)] = kUnknown;
    const std::size_t width = static_cast<std::size_t>(box_.x1 - box_.x0);
    for (int y = area.y0; y < area.y1; ++y) {
        const std::uint8_t* row = std::as_const(frame).Data().data() + RowStart(frame, y - frame.Top());
        std::uint32_t* target = keys_.data() + static_cast<std::size_t>(y - box_.y0) * width;
        for (int x = area.x0; x < area.x1; ++x) {
            const std::uint8_t p = row[x - frame.Left()];
            if (!t || p != *t)
                target[x - box_.x0] = keys[p];
        }
    }
}

void TShownColours::Forget(const TScreenBox& area) {
    const TScreenBox cut = Intersection(area, box_);
    const std::size_t width = static_cast<std::size_t>(box_.x1 - box_.x0);
    for (int y = cut.y0; y < cut.y1 && !cut.Empty(); ++y) {
        const auto start =
            keys_.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y - box_.y0) * width +
                                                        static_cast<std::size_t>(cut.x0 - box_.x0));
        std::fill(start, start + (cut.x1 - cut.x0), kUnknown);
    }
}

} // namespace qm
