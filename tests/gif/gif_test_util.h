#pragma once
// Loading and saving GIF images in memory for tests, with every warning recorded.

#include "gif/gif_exception.h"
#include "gif/gif_image.h"

#include <QBuffer>
#include <QByteArray>
#include <memory>
#include <string>
#include <vector>

namespace qm::test {

// Records the warnings of one image in order.
struct WarningLog {
    std::vector<std::string> messages;
    void attach(TGIFImage& image) {
        image.OnWarning = [this](const TPersistent&, TGIFSeverity, const std::string& message) {
            messages.push_back(message);
        };
    }
};

struct LoadedGif {
    std::unique_ptr<TGIFImage> image = std::make_unique<TGIFImage>();
    WarningLog warnings;
};

// Loads `bytes`; errors pass on to the caller.
inline std::unique_ptr<LoadedGif> LoadGif(const QByteArray& bytes) {
    auto loaded = std::make_unique<LoadedGif>();
    loaded->warnings.attach(*loaded->image);
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    loaded->image->LoadFromStream(buffer);
    return loaded;
}

// The bytes `item` (an image, an extension, a colour map...) writes to a stream.
template <class T> QByteArray SavedBytes(T& item) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    item.SaveToStream(buffer);
    return buffer.data();
}

inline QByteArray SaveGif(TGIFImage& image) {
    return SavedBytes(image);
}

// The message of the GIFException that `f` raises, or "" when it raises none.
template <class F> std::string ErrorOf(F&& f) {
    try {
        f();
    } catch (const GIFException& e) {
        return e.what();
    }
    return "";
}

} // namespace qm::test
