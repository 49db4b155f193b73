#include "gif/gif_playback.h"

#include "framework/graphics/clock.h"

namespace qm {

void PlayOnce(TGIFImage& image, const TPlaybackOptions& options,
              const std::function<void(const QImage& canvas, TGIFPainter& painter)>& frame) {
    const QSize size = options.tile.value_or(QSize(image.GetWidth(), image.GetHeight()));
    QImage target(size, CanvasImageFormat);
    target.fill(Qt::transparent);
    TCanvas canvas(target);
    TStepClock clock;
    TClock* const previousClock = image.Clock;
    const TGIFPainterEvent previousAfterPaint = image.OnAfterPaint;
    const int previousSpeed = image.AnimationSpeed();
    image.Clock = &clock;
    image.OnAfterPaint = [&](TGIFPainter& painter) { frame(target, painter); };
    image.SetAnimationSpeed(options.speed);
    TGIFDrawOptions drawOptions{TGIFDrawOption::goAnimate};
    if (options.transparent)
        drawOptions = drawOptions.With(TGIFDrawOption::goTransparent);
    if (options.tile)
        drawOptions = drawOptions.With(TGIFDrawOption::goTile);
    struct Restore {
        TGIFImage& image;
        TClock* clock;
        TGIFPainterEvent afterPaint;
        int speed;
        ~Restore() {
            image.Clock = clock;
            image.OnAfterPaint = afterPaint;
            image.SetAnimationSpeed(speed);
        }
    } restore{image, previousClock, previousAfterPaint, previousSpeed};
    image.Paint(canvas, target.rect(), drawOptions);
}

} // namespace qm
