#pragma once
// Shared vocabulary of the GIF unit (versions, severities, draw options, compression) and the
// process-wide defaults that every new image copies.

#include "colour/color_options.h"

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

namespace qm {

class TPersistent;

enum class TGIFVersion : std::uint8_t { gvUnknown, gv87a, gv89a };
enum class TGIFSeverity : std::uint8_t { gsInfo, gsWarning, gsError };
enum class TGIFCompression : std::uint8_t { gcLZW, gcRLE };

// The three version characters written after "GIF" for gv87a and gv89a.
inline const std::array<std::string, 2> GIFVersions = {"87a", "89a"};

enum class TGIFDrawOption : std::uint8_t {
    goAsync,
    goTransparent,
    goAnimate,
    goLoop,
    goLoopContinously,
    goValidateCanvas,
    goDirectDraw,
    goClearOnLoop,
    goTile,
    goDither,
    goAutoDither,
};

// A set of options of the enumeration E; bit n stands for the option of ordinal n.
template <class E, class Bits> class TOptionSet {
public:
    constexpr TOptionSet() = default;
    constexpr explicit TOptionSet(Bits bits) : bits_(bits) {}
    constexpr TOptionSet(std::initializer_list<E> options) {
        for (const auto option : options)
            bits_ = static_cast<Bits>(bits_ | Bit(option));
    }
    constexpr bool Contains(E option) const { return (bits_ & Bit(option)) != 0; }
    constexpr Bits Value() const { return bits_; }
    constexpr TOptionSet With(E option) const { return TOptionSet(static_cast<Bits>(bits_ | Bit(option))); }
    constexpr TOptionSet Without(E option) const {
        return TOptionSet(static_cast<Bits>(bits_ & ~Bit(option)));
    }
    friend constexpr bool operator==(TOptionSet, TOptionSet) = default;

private:
    static constexpr Bits Bit(E option) { return static_cast<Bits>(1u << static_cast<unsigned>(option)); }
    Bits bits_ = 0;
};

using TGIFDrawOptions = TOptionSet<TGIFDrawOption, std::uint16_t>;

// The steps of an image's optimisation, in the order of their ordinals (not the order they run).
enum class TGIFOptimizeOption : std::uint8_t { ooCrop, ooMerge, ooCleanup, ooColorMap, ooReduceColors };
using TGIFOptimizeOptions = TOptionSet<TGIFOptimizeOption, std::uint8_t>;

// Receives every soft problem of an image: the object that found it, how bad it is, and the text.
using TGIFWarning =
    std::function<void(const TPersistent& sender, TGIFSeverity severity, const std::string& message)>;

// Process-wide defaults, read when an image is created (the delays while painting).
inline TGIFDrawOptions GIFImageDefaultDrawOptions{TGIFDrawOption::goAsync,   TGIFDrawOption::goTransparent,
                                                  TGIFDrawOption::goAnimate, TGIFDrawOption::goLoop,
                                                  TGIFDrawOption::goDither,  TGIFDrawOption::goAutoDither};
inline TColorReduction GIFImageDefaultColorReduction = TColorReduction::rmNetscape;
inline int GIFImageDefaultColorReductionBits = 8;
inline TDitherMode GIFImageDefaultDitherMode = TDitherMode::dmNearest;
inline TGIFCompression GIFImageDefaultCompression = TGIFCompression::gcLZW;
inline int GIFImageDefaultAnimationSpeed = 100;
inline bool GIFImageRenderOnLoad = false;
inline bool GIFImageOptimizeOnStream = false;
inline int GIFDelayExp = 12;
inline int GIFDefaultDelay = 10;
inline int GIFMinimumDelay = 3;
inline int GIFMaximumDelay = 1000;
// Both become true at start-up on a screen of 8 bits per pixel or less.
inline bool DoAutoDither = false;
inline bool PaletteDevice = false;

// The largest frame (width x height) the model holds. A frame header of ten bytes can claim
// 65535 x 65535 pixels; this leaves room for any real picture.
inline constexpr std::uint64_t GIFMaximumFramePixels = 256ull * 1024 * 1024;

// How the reader treats input that breaks the format's rules but still leaves a picture.
enum class TGIFTolerance : std::uint8_t {
    gtTolerant, // each oddity is a warning and the load goes on
    gtStrict,   // the first oddity ends the load with a GIFException carrying the warning's text
};

// Limits and tolerance of a load, handed to the reader with the image (TGIFImage::ReadSettings).
// The pixel limits keep a hostile file from exhausting memory.
struct TGIFReadSettings {
    // The largest frame the reader allocates; above GIFMaximumFramePixels the model refuses it.
    std::uint64_t MaximumFramePixels = GIFMaximumFramePixels;
    // The most pixels all frames of one image may hold together.
    std::uint64_t MaximumImagePixels = 1024ull * 1024 * 1024;
    // Pixels must also be paid for by data. LZW yields well under 4096 pixels per byte, so a real
    // file never needs more than that; this much is allowed on top of it, so that a small file
    // may still describe a large plain picture.
    std::uint64_t PixelsWithoutData = 64ull * 1024 * 1024;
    std::uint64_t PixelsPerDataByte = 4096;
    // Whether `pixels` are paid for by a file of `bytes` bytes.
    bool PaidForByData(std::uint64_t pixels, std::uint64_t bytes) const {
        return pixels <= PixelsWithoutData + PixelsPerDataByte * bytes;
    }
    TGIFTolerance Tolerance = TGIFTolerance::gtTolerant;
};

} // namespace qm
