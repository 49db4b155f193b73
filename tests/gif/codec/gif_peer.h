#pragma once
// Whole GIF files in memory around our codec's data, and giflib as the reference decoder and
// encoder, for the codec tests and benchmarks.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace qm::test {

struct TPeerFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels; // rows top to bottom
};

// What giflib reads of a file's logical screen and first frame.
struct TPeerSummary {
    int screenWidth = 0;
    int screenHeight = 0;
    int globalColors = 0; // entries of the global colour table, 0 without one
    int backgroundIndex = 0;
    int imageCount = 0;
    bool interlaced = false;   // of the first frame
    int graphicControls = 0;   // graphic control extensions before the first frame
    int transparentIndex = -1; // of the first frame, -1 when none
};

// A GIF89a file with one frame: a grey global colour table of 2^bitsPerPixel entries, the image
// descriptor, `imageData` (minimum code size byte, sub-blocks, terminator) and the trailer.
std::vector<std::uint8_t> MakeGifFile(int width, int height, bool interlaced, int bitsPerPixel,
                                      std::span<const std::uint8_t> imageData);

// The image data (minimum code size byte up to its terminator) of the first frame of a file
// without extensions, as giflib writes them.
std::span<const std::uint8_t> FirstImageData(std::span<const std::uint8_t> file);

// giflib's reading of the first frame; nothing when giflib reports an error.
std::optional<TPeerFrame> GiflibDecode(std::span<const std::uint8_t> file);

// giflib's reading of the whole file; nothing when giflib reports an error.
std::optional<TPeerSummary> GiflibSummary(std::span<const std::uint8_t> file);

// giflib's encoding of a frame (rows top to bottom) as a whole file.
std::vector<std::uint8_t> GiflibEncode(std::span<const std::uint8_t> pixels, int width, int height,
                                       bool interlaced, int bitsPerPixel);

} // namespace qm::test
