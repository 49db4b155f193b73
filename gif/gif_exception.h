#pragma once
// The fixed texts of the GIF model's errors, warnings and progress stages. The exception itself
// and the texts colour processing shares are in colour/color_errors.h.

#include "colour/color_errors.h"
#include "framework/core/stream.h" // sOutOfData, which the stream reads raise

namespace qm {

inline constexpr const char* sTooManyColors = "Color table overflow";
inline constexpr const char* sBadColorIndex = "Invalid color index";
inline constexpr const char* sBadVersion = "Unsupported GIF version";
inline constexpr const char* sBadSignature = "Invalid GIF signature";
inline constexpr const char* sScreenBadColorSize = "Invalid number of colors specified in Screen Descriptor";
inline constexpr const char* sImageBadColorSize = "Invalid number of colors specified in Image Descriptor";
inline constexpr const char* sUnknownExtension = "Unknown extension type";
inline constexpr const char* sBadExtensionLabel = "Invalid extension introducer";
inline constexpr const char* sDIBCreate = "Failed to create DIB from Bitmap";
inline constexpr const char* sDecodeTooFewBits = "Decoder bit buffer under-run";
inline constexpr const char* sDecodeCircular = "Circular decoder table entry";
inline constexpr const char* sBadTrailer = "Invalid Image trailer";
inline constexpr const char* sBadExtensionInstance =
    "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* sBadBlockSize = "Unsupported Application Extension block size";
inline constexpr const char* sBadBlock = "Unknown GIF block type";
inline constexpr const char* sUnsupportedClass = "Object type not supported for operation";
inline constexpr const char* sInvalidData = "Invalid GIF data";
inline constexpr const char* sBadHeight = "Image height too small for contained frames";
inline constexpr const char* sBadWidth = "Image width too small for contained frames";
inline constexpr const char* sFailedPaste = "Failed to store GIF on clipboard";
inline constexpr const char* sScreenSizeExceeded = "Image exceeds Logical Screen size";
inline constexpr const char* sNoColorTable = "No global or local color table defined";
inline constexpr const char* sBadPixelCoordinates = "Invalid pixel coordinates";
inline constexpr const char* sUnsupportedBitmap = "Unsupported bitmap format";
inline constexpr const char* sNoDIB = "Image has no DIB";
inline constexpr const char* sInvalidStream = "Invalid stream operation";
inline constexpr const char* sInvalidColor = "Color not in color table";
inline constexpr const char* sEmptyColorMap = "Color table is empty";
inline constexpr const char* sEmptyImage = "Image is empty";
inline constexpr const char* sInvalidReduction = "Invalid reduction method";
inline constexpr const char* sGIFImageFile = "GIF Image";
inline constexpr const char* sProgressLoading = "Loading...";
inline constexpr const char* sProgressSaving = "Saving...";
inline constexpr const char* sProgressConverting = "Converting...";
inline constexpr const char* sProgressRendering = "Rendering...";
inline constexpr const char* sProgressCopying = "Copying...";
inline constexpr const char* sProgressOptimizing = "Optimizing...";
// A frame larger than the reader's limits let it hold in memory.
inline constexpr const char* sFrameTooLarge = "Failed to allocate memory for GIF frame pixels";
// A frame far larger than the data in the file could ever fill.
inline constexpr const char* sFrameExceedsData = "GIF frame too large for the data in the file";
// A logical screen far larger than the data in the file could ever fill.
inline constexpr const char* sScreenExceedsData = "GIF screen too large for the data in the file";
inline constexpr const char* sOutOfImageMemory = "Not enough memory for an image of %d x %d pixels";
inline constexpr const char* sNothingToRender =
    "Nothing to render: the image has no frames or an empty screen";
// A minimum code size that leaves no room for the code tables.
inline constexpr const char* sBadCodeSize = "Invalid LZW minimum code size";

// When an invisible frame goes and its time is added to the frame before, the sum can exceed the
// longest delay a frame can hold.
inline constexpr const char* sDelayTooLong = "Frame delay too long, shortened to 65535";

} // namespace qm
