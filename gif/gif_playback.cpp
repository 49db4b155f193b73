#include "gif/gif_playback.h"

#include "framework/graphics/clock.h"
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"

#include <algorithm>

namespace qm {

namespace {

// How many passes a viewer sees, at most `wanted`: one without a loop extension.
int PassesShown(const TGIFImage& image, int wanted) {
    for (const auto& frame : image.Images())
        for (const auto& extension : frame->Extensions())
            if (const auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get()))
                return loop->Loops == 0 ? wanted : std::min(wanted, static_cast<int>(loop->Loops));
    return 1;
}

} // namespace

void Play(TGIFImage& image, const TPlaybackOptions& options,
          const std::function<void(const QImage& canvas, TGIFPainter& painter)>& frame) {
    const QSize size = options.tile.value_or(QSize(image.GetWidth(), image.GetHeight()));
    if (image.GetEmpty() || size.isEmpty())
        throw GIFException(sNothingToRender);
    const auto area = static_cast<std::uint64_t>(size.width()) * static_cast<std::uint64_t>(size.height());
    if (options.fileBytes && !image.ReadSettings.PaidForByData(area, *options.fileBytes))
        throw GIFException(sScreenExceedsData);
    QImage target = NewDrawImage(size, CanvasImageFormat);
    target.fill(Qt::transparent);
    TCanvas canvas(target);
    TStepClock clock;
    TClock* const previousClock = image.Clock;
    const TGIFPainterEvent previousAfterPaint = image.OnAfterPaint;
    const TGIFPainterEvent previousLoop = image.OnLoop;
    const int previousSpeed = image.AnimationSpeed();
    image.Clock = &clock;
    image.OnAfterPaint = [&](TGIFPainter& painter) {
        frame(target, painter);
        // The painter renders the next frame before its wait; this one is drawn and done with.
        image.Images().Items(painter.ActiveImage())->FreeBitmap();
    };
    // The painter loops without end here; the pass count is kept by stopping it.
    const int passes = PassesShown(image, std::max(options.passes, 1));
    int pass = 1;
    image.OnLoop = [&](TGIFPainter& painter) {
        if (++pass > passes)
            painter.Stop();
    };
    image.SetAnimationSpeed(options.speed);
    TGIFDrawOptions drawOptions{TGIFDrawOption::goAnimate};
    if (options.transparent)
        drawOptions = drawOptions.With(TGIFDrawOption::goTransparent);
    if (options.tile)
        drawOptions = drawOptions.With(TGIFDrawOption::goTile);
    if (passes > 1)
        drawOptions = drawOptions.With(TGIFDrawOption::goLoop).With(TGIFDrawOption::goLoopContinously);
    struct Restore {
        TGIFImage& image;
        TClock* clock;
        TGIFPainterEvent afterPaint;
        TGIFPainterEvent loop;
        int speed;
        ~Restore() {
            image.Clock = clock;
            image.OnAfterPaint = afterPaint;
            image.OnLoop = loop;
            image.SetAnimationSpeed(speed);
        }
    } restore{image, previousClock, previousAfterPaint, previousLoop, previousSpeed};
    image.Paint(canvas, target.rect(), drawOptions);
}

} // namespace qm
