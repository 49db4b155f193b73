#pragma once
// Frames added to a GIF image in one call, for the tests of the document model, the writer and
// the peers.

#include "gif/gif_image.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace qm::test {

// A width x height frame at (left, top), holding `pixels` (zeros when none are given).
inline TGIFSubImage& AddFrame(TGIFImage& image, int width, int height, std::vector<std::uint8_t> pixels = {},
                              int left = 0, int top = 0) {
    auto owned = std::make_unique<TGIFSubImage>(&image);
    TGIFSubImage& frame = *owned;
    image.Add(std::move(owned));
    frame.DoSetBounds(left, top, width, height);
    if (!pixels.empty())
        frame.Data() = std::move(pixels);
    return frame;
}

} // namespace qm::test
