#pragma once
// TImageFile: a picture in one of the formats that Qt's image readers know beside the framework's
// own (PNG, WebP, TIFF). It is held as a bitmap and written back in its own format, so that each
// format is a graphic class of the picture system with its own name and extensions.

#include "framework/graphics/bitmap.h"

namespace qm {

class TImageFile : public TBitmap {
public:
    // `className` and `format` (Qt's name of the format, "png") are static strings.
    TImageFile(const char* className, const char* format) : className_(className), format_(format) {}
    const char* ClassName() const override { return className_; }
    // Written by Qt's writer of the format; a format Qt cannot write raises EInvalidGraphic.
    void SaveToStream(QIODevice& stream) override;

private:
    const char* className_;
    const char* format_;
};

} // namespace qm
