#pragma once
// What the optimisation steps ask of a frame before they change it (its transparent index, the
// disposal the painter applies after it, the delay it is shown for), and how the background
// colour survives a change of the global colour map.

#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "gif/gif_settings.h"
#include "gif/gif_subimage.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace qm {

// The transparent colour index, when the frame is transparent.
inline std::optional<std::uint8_t> TransparentIndex(const TGIFSubImage& frame) {
    const auto* gce = frame.GraphicControlExtension;
    if (!frame.Transparent || gce == nullptr || !gce->GetTransparent())
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
