#pragma once
// What an animation shows over time, composed from the document model alone (indices, colour
// maps, transparency, disposal and delays), so that a change of the model can be checked for
// leaving the picture as it was.

#include "gif/gif_image.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm::test {

// One stretch of time with one picture: the screen as RGBA values (0 where nothing is painted)
// and how long it stays, in hundredths of a second.
struct TShownPicture {
    std::vector<std::uint32_t> screen;
    int duration = 0;
    friend bool operator==(const TShownPicture&, const TShownPicture&) = default;
};

// Plays the image once as the painter does on a transparent canvas: a frame's pixels other than
// its transparent index cover the screen (an index beyond the colour map shows black); after the
// frame's delay, dmBackground clears its area and dmPrevious restores what was there before; an
// empty frame shows nothing and takes no time. Equal pictures in a row form one stretch. Up to `passes`
// passes are played as the loop extension asks, each after the first from the frame that carries it.
std::vector<TShownPicture> ShownOverTime(TGIFImage& image, int passes = 1);

// "" when both show the same pictures for the same times (the last picture stays, so its time
// does not count); otherwise where they part.
std::string CompareShown(const std::vector<TShownPicture>& before, const std::vector<TShownPicture>& after);

} // namespace qm::test
