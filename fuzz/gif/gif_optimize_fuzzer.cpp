// Loads arbitrary bytes, optimizes with every step, saves, loads again and plays both: the
// optimized file must show the same pictures for the same times as what was loaded. Whatever the
// writer refuses in the original may be refused in the optimized image too.
#include "fuzz/gif/fuzz_gif_support.h"

#include <algorithm>
#include <cstdlib>

namespace {

QByteArray Saved(qm::TGIFImage& image) {
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    image.SaveToStream(out);
    return out.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::unique_ptr<qm::TGIFImage> image = qm::fuzz::LoadSmall(bytes);
    if (image == nullptr)
        return 0;
    // What the original shows, read back from its own save: the model as any other reader sees it.
    std::unique_ptr<qm::TGIFImage> original;
    try {
        original = qm::fuzz::LoadSmall(Saved(*image), true);
    } catch (const qm::GIFException&) {
        return 0;
    }
    if (original == nullptr)
        return 0;
    const auto before = qm::fuzz::ShownOverTime(*original, size);
    using enum qm::TGIFOptimizeOption;
    image->Optimize({ooCrop, ooMerge, ooCleanup, ooColorMap}, qm::TColorReduction::rmNone,
                    qm::TDitherMode::dmNearest, 8);
    std::unique_ptr<qm::TGIFImage> optimized;
    try {
        optimized = qm::fuzz::LoadSmall(Saved(*image), true);
    } catch (const qm::GIFException&) {
        std::abort(); // the original saved; the optimized image must too
    }
    // Frames that show nothing may all go.
    if (optimized == nullptr) {
        if (!before.empty())
            std::abort();
        return 0;
    }
    const auto after = qm::fuzz::ShownOverTime(*optimized, size);
    // The last picture stays; its time does not count. A picture shown for the painter's longest
    // wait or more may lose what lies beyond it: a frame that shows nothing hands its delay to the
    // frame before, and the painter waits no longer than that on one frame.
    const auto shownTime = [](std::int64_t ms) {
        return std::min<std::int64_t>(ms, static_cast<std::int64_t>(qm::GIFMaximumDelay) * qm::GIFDelayExp);
    };
    if (before.size() != after.size())
        std::abort();
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i].first != after[i].first ||
            (i + 1 < before.size() && shownTime(before[i].second) != shownTime(after[i].second)))
            std::abort();
    return 0;
}
