#pragma once
// A painter shows one GIF image on one canvas rectangle: it steps through the frames with their
// delays, applies each frame's disposal, honours the loop extension and fires its events. With
// goAsync it is a worker thread that times the frames and renders the next one ahead, while every
// canvas access and every event runs on the GUI thread; without it the same loop runs on the
// calling thread, sleeping in slices and keeping the event queue going.

#include "framework/graphics/canvas.h"
#include "framework/graphics/thread.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"

#include <QImage>
#include <QRect>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace qm {

// The wait before a frame in milliseconds: `units` delay units less half of how far the previous
// step overran its own wait, scaled by the speed in percent. -1 stands for "until woken" (speed 0
// of a threaded painter).
std::int64_t GIFFrameWait(int units, std::int64_t overrunMs, int speed, bool async);

class TGIFPainter final : public TThread {
public:
    // Writes itself into `*reference` (when given), which it clears again when it ends.
    TGIFPainter(TGIFPainter** reference, TGIFImage& image, TCanvas& canvas, const QRect& rect,
                TGIFDrawOptions options);
    TGIFPainter(TGIFImage& image, TCanvas& canvas, const QRect& rect, TGIFDrawOptions options)
        : TGIFPainter(nullptr, image, canvas, rect, options) {}
    ~TGIFPainter() override;

    void Start();
    // Requests the end: wakes a wait, lets a suspended thread go on.
    void Stop();
    // Starts again at the first frame.
    void Restart();

    int AnimationSpeed() const { return animationSpeed_; }
    void SetAnimationSpeed(int value);
    int ActiveImage() const { return activeImage_; }
    // Accepted only for an existing frame.
    void SetActiveImage(int index);

    TGIFImage* Image() const { return image_; }
    // Forgets the image (which is going away) and the reference it was given.
    void Detach();
    // True while one of its synchronised calls runs on the GUI thread: the painter waits for that
    // call, so whoever that call reaches must not wait for the painter.
    bool InSynchronizedCall() const { return inSynchronizedCall_; }
    TCanvas* Canvas() const { return canvas_; }
    QRect Rect() const { return rect_; }
    TGIFDrawOptions DrawOptions() const { return options_; }
    bool Started() const { return started_; }
    // The disposal the frame painted last was composed with, and the value its graphic control
    // extension holds (0..7; values 4..7 compose as dmNoDisposal).
    TDisposalMethod Disposal() const { return disposal_; }
    int DisposalValue() const { return disposalValue_; }
    // The wait that follows the frame painted last, in milliseconds, as the loop will compute it
    // when nothing overran (-1: until woken).
    std::int64_t NextWait() const;

    TGIFPainterEvent OnStartPaint;
    TGIFPainterEvent OnPaint;
    TGIFPainterEvent OnAfterPaint;
    TGIFPainterEvent OnLoop;
    TGIFPainterEvent OnEndPaint;

    // Runs an unthreaded painter to its end on the calling thread and frees it; an exception of the
    // framework's family kept by the loop is raised again here, after the painter is gone.
    static void RunAndFree(TGIFPainter* painter);

protected:
    void Execute() override;

private:
    bool Async() const { return options_.Contains(TGIFDrawOption::goAsync); }
    bool Has(TGIFDrawOption option) const { return options_.Contains(option); }
    bool Stopping() const { return Terminated() || restart_; }
    TGIFSubImage& Frame() const { return *image_->Images().Items(activeImage_); }

    void CreateBuffers();
    // The canvas's rectangle as a new buffer; raises EOutOfMemory when it cannot be had.
    QImage Grab() const;
    void PlayPasses();
    // Plays the frames of one pass; false when it painted none.
    bool PlayFrames(int& loops, int& loopStart, bool& loopSeen);
    void WaitForFrame();
    void WaitAsync(std::int64_t wait);
    void WaitUnthreaded(std::int64_t wait);
    void ReadExtensions(int& loops, int& loopStart, bool& loopSeen);
    void NextDelay();

    void ShowFrame(int& loops, int& loopStart, bool& loopSeen);
    void Fire(const TGIFPainterEvent& event);
    // Runs `work` on the GUI thread (at once when unthreaded), unless the painter is ending.
    void DoSynchronize(const std::function<void()>& work);
    bool CanvasAlive() const;
    void DoPaint();
    void DoPaintFrame();
    void RestoreBackground();
    void DoOnTerminate();

    TGIFImage* image_;
    TCanvas* canvas_;
    std::weak_ptr<const void> canvasHandle_;
    QRect rect_;
    TGIFDrawOptions options_;
    TGIFPainter** reference_;
    TClock* clock_;
    std::atomic<int> animationSpeed_;
    std::atomic<int> activeImage_ = -1;
    std::atomic<bool> restart_ = false;
    std::atomic<bool> started_ = false;
    std::atomic<bool> inSynchronizedCall_ = false;
    TDisposalMethod disposal_ = dmNoDisposal;
    int disposalValue_ = dmNoDisposal;
    TDisposalMethod previousDisposal_ = dmNoDisposal;
    std::optional<QImage> backup_;
    std::optional<QImage> frameBuffer_;
    std::optional<QImage> background_;
    QColor backgroundColor_;
    std::unique_ptr<TEvent> event_;
    std::exception_ptr kept_;

    // The loop's timing state: the delay in units (then milliseconds), the time of the last
    // computation and the wait computed then.
    std::int64_t delay_ = 0;
    std::int64_t lastTime_ = 0;
    std::int64_t lastWait_ = 0;
};

} // namespace qm
