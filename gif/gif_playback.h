#pragma once
// Plays an animation, as fast as the machine goes, and hands over the canvas after every
// painted frame: an unthreaded painter on a canvas of the logical screen's size (or a tiled
// rectangle) that starts fully transparent, timed by a clock that does not wait. The painter's
// arithmetic is that of real time, so the waits it computes are those a viewer would see.

#include "gif/gif_painter.h"

#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <optional>

namespace qm {

struct TPlaybackOptions {
    int speed = 100;           // percent, 0..1000
    std::optional<QSize> tile; // paints a rectangle of this size with goTile
    bool transparent = true;   // goTransparent
    // At most this many passes, as many as the loop extension asks of a viewer (0: endless); the
    // passes after the first start at the frame that carries it.
    int passes = 1;
    // The size of the file the image was read from: the canvas must be paid for by it as the
    // reader's frames are (ReadSettings). None: no such bound.
    std::optional<std::uint64_t> fileBytes;
};

// `frame` receives the canvas and the painter after each painted frame. An image without frames
// or with an empty screen, and a canvas beyond the bound, are refused with a GIFException before
// anything is allocated. Only the frame painted next keeps its rendered bitmap.
void Play(TGIFImage& image, const TPlaybackOptions& options,
          const std::function<void(const QImage& canvas, TGIFPainter& painter)>& frame);

} // namespace qm
