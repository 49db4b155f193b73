#pragma once
// What the optimisation steps ask of a frame before they change it (its transparent index, the
// disposal the painter applies after it, the delay it is shown for), what the screen shows
// between frames, and how the background colour survives a change of the global colour map.

#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "gif/gif_settings.h"
#include "gif/gif_subimage.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace qm {

// The transparent colour index, when the frame is transparent. As the renderer sees it: any of
// the frame's control blocks may make it transparent, and the index is that of the first.
inline std::optional<std::uint8_t> TransparentIndex(const TGIFSubImage& frame) {
    const auto* gce = frame.GraphicControlExtension;
    if (!frame.Transparent || gce == nullptr)
        return std::nullopt;
    return static_cast<std::uint8_t>(gce->GetTransparentColorIndex());
}

// The disposal the painter applies after the frame: that of its last graphic control extension,
// dmNoDisposal without one.
inline int ShownDisposal(const TGIFSubImage& frame) {
    int disposal = dmNoDisposal;
    for (const auto& extension : frame.Extensions())
        if (const auto* gce = dynamic_cast<const TGIFGraphicControlExtension*>(extension.get()))
            disposal = gce->GetDisposal();
    return disposal;
}

// Whether the picture the frame leaves behind is cleared or restored after it.
inline bool DisposalUndoesFrame(int disposal) {
    return disposal == dmBackground || disposal == dmPrevious;
}

// The delay, in hundredths of a second, that the painter waits after the frame: the default for
// none, and never less than the minimum.
inline int ShownDelay(const TGIFSubImage& frame) {
    const auto* gce = frame.GraphicControlExtension;
    if (gce == nullptr || gce->GetDelay() == 0)
        return GIFDefaultDelay;
    return std::max(gce->GetDelay(), GIFMinimumDelay);
}

// A pixel rectangle (x0, y0 inclusive; x1, y1 exclusive), in screen coordinates unless said.
struct TScreenBox {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    bool Empty() const { return x0 >= x1 || y0 >= y1; }
    std::uint64_t Area() const {
        return Empty() ? 0 : static_cast<std::uint64_t>(x1 - x0) * static_cast<std::uint64_t>(y1 - y0);
    }
};

inline TScreenBox BoxOf(const TGIFSubImage& frame) {
    return {frame.Left(), frame.Top(), frame.Left() + frame.Width(), frame.Top() + frame.Height()};
}

inline TScreenBox Intersection(const TScreenBox& a, const TScreenBox& b) {
    return {std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
}

// The colours an area of the screen shows between two frames, a key (red, green and blue as one
// number) per pixel, and kUnknown where that is not the same in every pass or rests on the
// renderer: before the first frame, where a frame cleared its area, where an index lies beyond
// its colour map (gif_frame_optimize.cpp).
class TShownColours {
public:
    static constexpr std::uint32_t kUnknown = 0xFFFFFFFF;
    explicit TShownColours(const TScreenBox& box);
    const TScreenBox& Box() const { return box_; }
    std::uint32_t At(int x, int y) const {
        return keys_[static_cast<std::size_t>(y - box_.y0) * static_cast<std::size_t>(box_.x1 - box_.x0) +
                     static_cast<std::size_t>(x - box_.x0)];
    }
    // Puts the frame's opaque pixels on the screen.
    void Draw(TGIFSubImage& frame);
    // Forgets what the area shows.
    void Forget(const TScreenBox& area);

private:
    TScreenBox box_;
    std::vector<std::uint32_t> keys_;
};

// Runs `change` on the global colour map and points the background index at the background
// colour again wherever the change moved it.
template <class F> void KeepingBackgroundColour(TGIFImage& image, F&& change) {
    TGIFHeader& header = image.Header();
    const int index = header.GetBackgroundColorIndex();
    const bool known = index < image.ColorMap().Count();
    const TGIFColor colour = known ? image.ColorMap()[index] : TGIFColor{};
    change();
    const int moved = known ? image.ColorMap().IndexOf(TGIFColorMap::RGB2Color(colour)) : -1;
    if (moved >= 0)
        header.SetBackgroundColorIndex(moved);
}

} // namespace qm
