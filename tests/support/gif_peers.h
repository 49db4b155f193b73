#pragma once
// The peer GIF libraries as oracles for tests and yardsticks for benchmarks: giflib reading and
// writing whole files in memory, stb_image composing a file's first frame, and GIF files built
// around image data from our codec.

#include <array>
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

using TPeerColor = std::array<std::uint8_t, 3>; // red, green, blue

// A grey ramp of 2^bitsPerPixel entries, so that colours map back to indices.
std::vector<TPeerColor> GreyRamp(int bitsPerPixel);

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

// giflib's encoding of a frame (rows top to bottom) as a whole file with `palette` as its global
// table (its size rounded up to a power of two), or a grey ramp of 2^bitsPerPixel entries.
std::vector<std::uint8_t> GiflibEncode(std::span<const std::uint8_t> pixels, int width, int height,
                                       bool interlaced, std::span<const TPeerColor> palette);
std::vector<std::uint8_t> GiflibEncode(std::span<const std::uint8_t> pixels, int width, int height,
                                       bool interlaced, int bitsPerPixel);

// stb_image's composition of the first frame, three bytes (red, green, blue) per pixel; empty when
// stb_image refuses the file.
std::vector<std::uint8_t> StbDecodeRGB(std::span<const std::uint8_t> file);

} // namespace qm::test
