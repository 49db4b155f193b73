// Optimising a whole image in place: sorting colour maps by use, dropping transparency, disposal
// and extensions that change nothing, making pixels that repeat the previous frame transparent,
// and cropping transparent borders. Every step leaves the picture shown over time as it was.
#include "framework/core/muldiv.h"
#include "gif/gif_exception.h"
#include "gif/gif_image.h"
#include "gif/gif_optimize_support.h"
#include "gif/gif_progress.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

namespace qm {

namespace {

constexpr int kLargestDelay = std::numeric_limits<std::uint16_t>::max();

// Reports "Optimizing..." as the frames are worked through: six passes over the frames the image
// had at the start, each pass counting in full whether its option is chosen or not.
class TOptimizeProgress {
public:
    TOptimizeProgress(TGIFImage& image, int frames) : image_(image), total_(6 * frames) {}
    void FrameDone() {
        ++done_;
        Report();
    }
    void PassDone(int pass) {
        done_ = pass * total_ / 6;
        Report();
    }

private:
    void Report() {
        image_.Progress(TProgressStage::psRunning, MulDiv(done_, 100, total_), false, QRect(),
                        sProgressOptimizing);
    }
    TGIFImage& image_;
    int total_;
    int done_ = 0;
};

class TImageOptimizer {
public:
    TImageOptimizer(TGIFImage& image, TOptimizeProgress& progress)
        : image_(image), frames_(image.Images()), progress_(progress) {}

    void SortColorMaps() {
        // A frame without any colour map is written with the bits of the largest map there is:
        // sorting, and so shrinking, the other maps would leave its pixels beyond the table.
        const bool framesWithoutMap = image_.ColorMap().Count() == 0 &&
                                      std::any_of(frames_.begin(), frames_.end(), [](const auto& frame) {
                                          return frame->ColorMap().Count() == 0 && !frame->GetEmpty();
                                      });
        if (framesWithoutMap)
            return;
        if (image_.ColorMap().Count() > 0) {
            const int background = image_.Header().GetBackgroundColorIndex();
            if (!ShortenKeepingData(image_.ColorMap(), background))
                KeepingBackgroundColour(image_, [this] { image_.ColorMap().Optimize(); });
        }
        for (const auto& frame : frames_) {
            if (frame->ColorMap().Count() > 0 && !ShortenKeepingData(frame->ColorMap(), -1))
                frame->ColorMap().Optimize();
            progress_.FrameDone();
        }
    }

    // An index beyond the global map shows black and can be written only while another frame's
    // larger table widens the image's codes. Optimizing may shrink or drop that table: black
    // entries up to the largest such index keep what is shown and keep the frame writable.
    void CoverIndicesBeyondGlobalMap() {
        TGIFColorMap& map = image_.ColorMap();
        int largest = -1;
        for (const auto& frame : frames_) {
            if (map.Count() == 0 || frame->GetEmpty() || &frame->GetActiveColorMap() != &map)
                continue;
            const auto& pixels = std::as_const(*frame).Data();
            largest = std::max<int>(largest, *std::max_element(pixels.begin(), pixels.end()));
        }
        while (map.Count() <= largest)
            map.Add(0);
    }

    // A transparent index that no pixel uses makes nothing transparent.
    void DropUnusedTransparency() {
        for (const auto& frame : frames_) {
            const auto t = TransparentIndex(*frame);
            const auto& pixels = std::as_const(*frame).Data();
            if (t && std::find(pixels.begin(), pixels.end(), *t) == pixels.end())
                frame->GraphicControlExtension->SetTransparent(false);
            progress_.FrameDone();
        }
    }

    // Clearing or restoring a frame's area is pointless when the next frame covers all of it with
    // opaque pixels, unless that next frame is itself undone afterwards: then what it restores
    // to must stay as it was.
    void DropCoveredDisposal() {
        for (int i = 0; i + 1 < frames_.Count(); ++i) {
            TGIFSubImage& frame = *frames_.Items(i);
            const TGIFSubImage& next = *frames_.Items(i + 1);
            auto* gce = frame.GraphicControlExtension;
            if (gce != nullptr && DisposalUndoesFrame(gce->GetDisposal()) && !next.Transparent &&
                ShownDisposal(next) != dmPrevious && Contains(next, frame))
                gce->SetDisposal(dmNone);
            progress_.FrameDone();
        }
    }

    // Pixels that show the colour the screen already shows there become transparent. The screen
    // is followed from the first frame on, so a pixel matches what any earlier frame left there,
    // not only the frame before.
    void MergeWithShownPictures() {
        TScreenBox all{0xFFFF, 0xFFFF, 0, 0};
        std::uint64_t pixels = 0;
        for (const auto& frame : frames_) {
            if (frame->GetEmpty())
                continue;
            const TScreenBox box = BoxOf(*frame);
            all = {std::min(all.x0, box.x0), std::min(all.y0, box.y0), std::max(all.x1, box.x1),
                   std::max(all.y1, box.y1)};
            pixels += box.Area();
        }
        // Frames far apart would make the screen followed much larger than the frames: not merged.
        if (all.Empty() || all.Area() > 4 * pixels + (std::uint64_t{1} << 20))
            return;
        TShownColours shown(all);
        // Later passes draw the frame that starts the loop over whatever the last pass left, not
        // over what the frames before it drew: from there on only what is drawn in every pass counts.
        const int loopStart = LoopStart();
        for (int i = 0; i < frames_.Count(); ++i) {
            TGIFSubImage& frame = *frames_.Items(i);
            if (i == loopStart)
                shown.Forget(all);
            const int disposal = ShownDisposal(frame);
            std::optional<TShownColours> before;
            if (disposal == dmPrevious)
                before = shown;
            if (i > 0)
                frame.MergeShown(shown);
            shown.Draw(frame);
            if (before)
                shown = std::move(*before);
            else if (disposal != dmNone && disposal != dmNoDisposal)
                shown.Forget(BoxOf(frame));
            progress_.FrameDone();
        }
    }

    void CropFrames() {
        for (int i = frames_.Count() - 1; i >= 0; --i) {
            CropFrame(i);
            progress_.FrameDone();
        }
    }

    void RemoveNeedlessBlocks() {
        const TGIFAppExtNSLoop* loop = FirstLoopExtension();
        for (int i = frames_.Count() - 1; i >= 0; --i) {
            TGIFSubImage& frame = *frames_.Items(i);
            RemoveNeedlessExtensions(frame, loop);
            RemoveNeedlessControl(frame);
            // An image without any frame cannot be written: the last one stays, if empty.
            if (frame.GetEmpty() && frame.Extensions().Count() == 0 && frames_.Count() > 1)
                frames_.Delete(i);
            progress_.FrameDone();
        }
    }

private:
    static int BitsFor(int entries) {
        int bits = 1;
        while ((1 << bits) < entries)
            ++bits;
        return bits;
    }

    // Sorting a map by use renumbers the pixels of its frames, which then lose the compressed
    // data kept from reading and are encoded anew. While a frame keeps that data, the map only
    // drops the unused entries at its end, which moves no pixel, unless sorting would narrow the
    // table further. False when the map is left to sorting. `keep` is an entry that must stay.
    bool ShortenKeepingData(TGIFColorMap& map, int keep) {
        const bool keepsData = std::any_of(frames_.begin(), frames_.end(), [&map](const auto& frame) {
            return &frame->GetActiveColorMap() == &map && !frame->KeptData().empty();
        });
        if (!keepsData)
            return false;
        TUsageCount histogram;
        map.BuildHistogram(histogram);
        int used = 0;
        int last = keep < map.Count() ? keep : -1;
        for (int i = 0; i < 256; ++i) {
            if (histogram[static_cast<std::size_t>(i)].Count > 0) {
                ++used;
                last = i;
            }
        }
        // A pixel beyond the map is left to sorting, which keeps such a map as it is.
        if (last >= map.Count())
            return false;
        if (BitsFor(used) < BitsFor(last + 1))
            return false;
        while (map.Count() > std::max(last + 1, 1))
            map.Delete(map.Count() - 1);
        return true;
    }

    static bool Contains(const TGIFSubImage& outer, const TGIFSubImage& inner) {
        return outer.Left() <= inner.Left() && outer.Top() <= inner.Top() &&
               outer.Left() + outer.Width() >= inner.Left() + inner.Width() &&
               outer.Top() + outer.Height() >= inner.Top() + inner.Height();
    }

    // A frame that shows nothing can go when the frame before it can be shown for its time as
    // well: that frame must stay on the screen after its own time and have a delay to add to.
    // The frame must not clear its area afterwards nor start the loop.
    bool CanDrop(int i) const {
        if (i == 0)
            return false;
        const TGIFSubImage& frame = *frames_.Items(i);
        const TGIFSubImage& before = *frames_.Items(i - 1);
        const bool startsLoop =
            std::any_of(frame.Extensions().begin(), frame.Extensions().end(), [](const auto& e) {
                return dynamic_cast<const TGIFAppExtNSLoop*>(e.get()) != nullptr;
            });
        return before.GraphicControlExtension != nullptr && !DisposalUndoesFrame(ShownDisposal(before)) &&
               !startsLoop;
    }

    void CropFrame(int i) {
        TGIFSubImage& frame = *frames_.Items(i);
        const auto t = TransparentIndex(frame);
        // Cropping a frame that clears its area would leave the cut borders uncleared.
        if (frame.GetEmpty() || !t || ShownDisposal(frame) == dmBackground)
            return;
        const auto& pixels = std::as_const(frame).Data();
        const bool allTransparent =
            std::all_of(pixels.begin(), pixels.end(), [t](std::uint8_t p) { return p == *t; });
        if (allTransparent && !CanDrop(i))
            return;
        const int delay = ShownDelay(frame);
        frame.Crop();
        if (!frame.GetEmpty())
            return;
        auto* before = frames_.Items(i - 1)->GraphicControlExtension;
        int sum = ShownDelay(*frames_.Items(i - 1)) + delay;
        if (sum > kLargestDelay) {
            frame.Warning(TGIFSeverity::gsWarning, sDelayTooLong);
            sum = kLargestDelay;
        }
        before->SetDelay(sum);
        frames_.Delete(i);
    }

    static int ControlBlocks(const TGIFSubImage& frame) {
        return static_cast<int>(
            std::count_if(frame.Extensions().begin(), frame.Extensions().end(), [](const auto& e) {
                return dynamic_cast<const TGIFGraphicControlExtension*>(e.get()) != nullptr;
            }));
    }

    // The frame that carries the first loop extension, -1 without one.
    int LoopStart() const {
        const TGIFAppExtNSLoop* loop = FirstLoopExtension();
        for (int i = 0; loop != nullptr && i < frames_.Count(); ++i)
            if (frames_.Items(i)->Extensions().IndexOf(loop) >= 0)
                return i;
        return -1;
    }

    const TGIFAppExtNSLoop* FirstLoopExtension() const {
        for (const auto& frame : frames_)
            for (const auto& extension : frame->Extensions())
                if (const auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get()))
                    return loop;
        return nullptr;
    }

    // Comments, plain texts and foreign application data change nothing shown; of the loop
    // extensions only the first counts, and only in an animation.
    void RemoveNeedlessExtensions(TGIFSubImage& frame, const TGIFAppExtNSLoop* keptLoop) {
        TGIFExtensionList& extensions = frame.Extensions();
        for (int e = extensions.Count() - 1; e >= 0; --e) {
            const TGIFExtension* extension = extensions.Items(e);
            const bool loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension) != nullptr;
            const bool needless = dynamic_cast<const TGIFCommentExtension*>(extension) != nullptr ||
                                  dynamic_cast<const TGIFTextExtension*>(extension) != nullptr ||
                                  dynamic_cast<const TGIFUnknownAppExtension*>(extension) != nullptr ||
                                  (loop && (extension != keptLoop || frames_.Count() <= 1));
            if (needless)
                extensions.Delete(e);
        }
    }

    // A control block that asks for nothing the painter would not do anyway.
    void RemoveNeedlessControl(TGIFSubImage& frame) {
        auto* gce = frame.GraphicControlExtension;
        // With a second control block, the painter takes the delay and transparency of the first
        // and the disposal of the last: removing one hands its part to another.
        if (gce == nullptr || ControlBlocks(frame) > 1)
            return;
        const bool single = frames_.Count() == 1;
        const int disposal = gce->GetDisposal();
        if ((gce->GetDelay() == 0 || single) && !gce->GetTransparent() && !gce->GetUserInput() &&
            (disposal == dmNone || disposal == dmNoDisposal || single))
            frame.Extensions().Delete(frame.Extensions().IndexOf(gce));
    }

    TGIFImage& image_;
    TGIFImageList& frames_;
    TOptimizeProgress& progress_;
};

} // namespace

void TGIFImage::Optimize(TGIFOptimizeOptions options, TColorReduction reduction, TDitherMode /*ditherMode*/,
                         int /*reductionBits*/) {
    if (GetEmpty())
        return;
    // No painter may read frames, maps or extensions while they change.
    PaintStop();
    const auto paintersLock = Painters().LockList();
    TGIFProgressScope scope(*this, sProgressOptimizing);
    TOptimizeProgress progress(*this, images_->Count());
    TImageOptimizer optimizer(*this, progress);
    optimizer.CoverIndicesBeyondGlobalMap();
    using enum TGIFOptimizeOption;
    if (options.Contains(ooColorMap))
        optimizer.SortColorMaps();
    progress.PassDone(1);
    if (options.Contains(ooCleanup)) {
        optimizer.DropUnusedTransparency();
        progress.PassDone(2);
        optimizer.DropCoveredDisposal();
    }
    progress.PassDone(3);
    if (options.Contains(ooMerge))
        optimizer.MergeWithShownPictures();
    progress.PassDone(4);
    if (options.Contains(ooCrop))
        optimizer.CropFrames();
    progress.PassDone(5);
    if (options.Contains(ooCleanup))
        optimizer.RemoveNeedlessBlocks();
    progress.PassDone(6);
    FreeBitmap();
    // Colour reduction would change how the image looks, so it is only checked, never done.
    if (!options.Contains(ooCleanup) && options.Contains(ooReduceColors) &&
        reduction == TColorReduction::rmPalette)
        throw GIFException(sInvalidReduction);
    scope.Succeeded();
}

} // namespace qm
