#pragma once
// The exception of the GIF unit and the texts that colour processing raises with it. Colour
// processing is the unit's lowest layer, so the exception lives here and the GIF model's own
// texts (gif/gif_exception.h) build on it.

#include "framework/core/exceptions.h"

namespace qm {

class GIFException : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

inline constexpr const char* sInvalidPixelFormat = "Unsupported PixelFormat";
inline constexpr const char* sBadDimension = "Invalid image dimensions";
inline constexpr const char* sInvalidBitmapList = "Invalid bitmap list";
inline constexpr const char* sInvalidBitSize = "Invalid Bits Per Pixel value";
inline constexpr const char* sOutOfMemDIB = "Failed to allocate memory for GIF DIB";

} // namespace qm
