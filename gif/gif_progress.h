#pragma once
// Reports the start of a long operation of an image and, whichever way the operation leaves,
// its end: 100 % on success, 0 % when an exception passes.

#include "gif/gif_image.h"

namespace qm {

class TGIFProgressScope {
public:
    TGIFProgressScope(TGIFImage& image, const char* message) : image_(image), message_(message) {
        image_.Progress(TProgressStage::psStarting, 0, false, QRect(), message_);
    }
    ~TGIFProgressScope() {
        image_.Progress(TProgressStage::psEnding, succeeded_ ? 100 : 0, true, QRect(), message_);
    }
    TGIFProgressScope(const TGIFProgressScope&) = delete;
    TGIFProgressScope& operator=(const TGIFProgressScope&) = delete;
    void Succeeded() { succeeded_ = true; }

private:
    TGIFImage& image_;
    const char* message_;
    bool succeeded_ = false;
};

} // namespace qm
