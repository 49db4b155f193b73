#include "gif/gif_painter.h"

#include "framework/core/exceptions.h"
#include "gif/gif_extensions.h"

#include <QCoreApplication>
#include <algorithm>
#include <sys/prctl.h>

namespace qm {

namespace {

// The colour a background is filled with: the framework's "no colour" means none was chosen.
constexpr TColor clNone = 0x1FFFFFFF;

QColor ToQColor(TColor colour) {
    const TGIFColor c = TGIFColorMap::Color2RGB(colour);
    return QColor(c.Red, c.Green, c.Blue);
}

// The system's window colour, for images that name no background of their own.
const QColor clWindow(255, 255, 255);

} // namespace

std::int64_t GIFFrameWait(int units, std::int64_t overrunMs, int speed, bool async) {
    if (speed <= 0)
        return async ? -1 : static_cast<std::int64_t>(GIFMaximumDelay) * GIFDelayExp;
    // 64 bits hold any delay of 16 bits at any speed: the arithmetic cannot overflow here.
    const std::int64_t scaled = (static_cast<std::int64_t>(units) * GIFDelayExp - overrunMs / 2) * 100;
    // Rounded to the nearest millisecond, halves away from zero.
    return (scaled + (scaled < 0 ? -speed / 2 : speed / 2)) / speed;
}

TGIFPainter::TGIFPainter(TGIFPainter** reference, TGIFImage& image, TCanvas& canvas, const QRect& rect,
                         TGIFDrawOptions options)
    : TThread(true), image_(&image), canvas_(&canvas), canvasHandle_(canvas.Handle()), rect_(rect),
      options_(options), reference_(reference), clock_(image.Clock), animationSpeed_(image.AnimationSpeed()) {
    if (reference_ != nullptr)
        *reference_ = this;
    FreeOnTerminate = true;
    OnTerminate = [this] { DoOnTerminate(); };
    if (Async() && Has(TGIFDrawOption::goAnimate) && image.Images().Count() > 1)
        event_ = std::make_unique<TEvent>();
    if (image.DrawBackgroundColor != clNone)
        backgroundColor_ = ToQColor(image.DrawBackgroundColor);
    else if (image.ColorMap().Count() == 0)
        backgroundColor_ = clWindow;
    else
        backgroundColor_ = ToQColor(image.BackgroundColor());
    CreateBuffers();
}

TGIFPainter::~TGIFPainter() = default;

void TGIFPainter::CreateBuffers() {
    bool background = Has(TGIFDrawOption::goClearOnLoop);
    bool previous = false;
    for (const auto& frame : image_->Images()) {
        if (frame->GraphicControlExtension == nullptr)
            continue;
        background = background || frame->GraphicControlExtension->GetDisposal() == dmBackground;
        previous = previous || frame->GraphicControlExtension->GetDisposal() == dmPrevious;
    }
    // The buffers are as large as the painted rectangle; each is checked, for a failed one would
    // compose nothing.
    if (background && Has(TGIFDrawOption::goTransparent))
        background_ = Grab();
    if (background || previous) {
        backup_ = Grab();
        frameBuffer_ = NewDrawImage(rect_.size(), CanvasImageFormat);
    }
}

QImage TGIFPainter::Grab() const {
    QImage grabbed = canvas_->Grab(rect_);
    RequireAllocated(grabbed, rect_.size());
    return grabbed;
}

void TGIFPainter::Start() {
    if (Async())
        Resume();
}

void TGIFPainter::Stop() {
    Terminate();
    if (!Async())
        return;
    if (event_)
        event_->SetEvent();
    Priority = TThreadPriority::tpNormal;
    Resume();
}

void TGIFPainter::Detach() {
    if (reference_ != nullptr && *reference_ == this)
        *reference_ = nullptr;
    reference_ = nullptr;
    image_ = nullptr;
}

void TGIFPainter::Restart() {
    restart_ = true;
    if (Async() && Suspended())
        Resume();
}

void TGIFPainter::SetAnimationSpeed(int value) {
    value = std::clamp(value, 0, 1000);
    if (value == animationSpeed_)
        return;
    animationSpeed_ = value;
    if (event_)
        event_->SetEvent();
    else
        restart_ = true;
}

void TGIFPainter::SetActiveImage(int index) {
    if (image_ != nullptr && index >= 0 && index < image_->Images().Count())
        activeImage_ = index;
}

std::int64_t TGIFPainter::NextWait() const {
    return GIFFrameWait(static_cast<int>(delay_), 0, animationSpeed_, Async());
}

// ---- The paint loop ----------------------------------------------------------------------------

void TGIFPainter::Execute() {
    // The kernel may otherwise end each frame's wait up to 50 µs late, and lateness adds up.
    if (Async())
        prctl(PR_SET_TIMERSLACK, 1UL);
    try {
        restart_ = true;
        while (restart_ && !Terminated())
            PlayPasses();
        activeImage_ = -1;
        Fire(OnEndPaint);
    } catch (const Exception&) {
        Terminate();
        kept_ = std::current_exception();
    }
}

void TGIFPainter::PlayPasses() {
    activeImage_ = 0;
    Fire(OnStartPaint);
    started_ = false;
    restart_ = false;
    int loops = 1;
    int loopStart = 0;
    bool loopSeen = false;
    delay_ = Async() ? 0 : 1;
    previousDisposal_ = dmNoDisposal;
    lastTime_ = clock_->Now();
    lastWait_ = 0;
    while ((loops != 0 || Has(TGIFDrawOption::goLoopContinously)) && !Stopping()) {
        activeImage_ = loopStart;
        if (started_)
            Fire(OnLoop);
        // A pass that paints nothing would repeat at once and without end.
        if (!PlayFrames(loops, loopStart, loopSeen) && !Stopping())
            break;
        if (loops > 0)
            --loops;
        if (!Has(TGIFDrawOption::goAnimate) || !Has(TGIFDrawOption::goLoop))
            break;
    }
}

bool TGIFPainter::PlayFrames(int& loops, int& loopStart, bool& loopSeen) {
    bool painted = false;
    while (true) {
        // A handler that destroyed the image (OnLoop comes just before) has left it detached.
        if (Stopping() || image_ == nullptr || activeImage_ >= image_->Images().Count())
            return painted;
        if (Frame().GetEmpty()) {
            // Nothing to show (extensions only, or no area), and the frames after it still play;
            // a loop extension it carries still counts.
            ReadExtensions(loops, loopStart, loopSeen);
            ++activeImage_;
            continue;
        }
        if (Async())
            CheckSuspended();
        WaitForFrame();
        if (Terminated())
            return painted;
        // The event and the painting share one trip to the GUI thread: each trip delays the frame.
        DoSynchronize([&] { ShowFrame(loops, loopStart, loopSeen); });
        if (Terminated())
            return painted;
        painted = true;
        previousDisposal_ = disposal_;
        NextDelay();
        const int before = activeImage_;
        Fire(OnAfterPaint);
        if (Terminated())
            return painted;
        if (activeImage_ == before)
            ++activeImage_;
        if (!Has(TGIFDrawOption::goAnimate))
            return painted;
    }
}

void TGIFPainter::ShowFrame(int& loops, int& loopStart, bool& loopSeen) {
    if (OnPaint)
        OnPaint(*this);
    if (Terminated())
        return;
    disposalValue_ = dmNoDisposal;
    ReadExtensions(loops, loopStart, loopSeen);
    // Values 4..7 are undefined; such frames are composed as if nothing were disposed.
    disposal_ = disposalValue_ <= dmPrevious ? static_cast<TDisposalMethod>(disposalValue_) : dmNoDisposal;
    if (backup_)
        DoPaintFrame();
    else
        DoPaint();
}

void TGIFPainter::ReadExtensions(int& loops, int& loopStart, bool& loopSeen) {
    for (const auto& extension : Frame().Extensions()) {
        if (const auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get()); loop && !loopSeen) {
            loopSeen = true;
            const bool endless = Async() && (loop->Loops == 0 || Has(TGIFDrawOption::goLoopContinously));
            loops = endless ? -1 : loop->Loops;
            loopStart = activeImage_;
        } else if (const auto* control = dynamic_cast<const TGIFGraphicControlExtension*>(extension.get())) {
            disposalValue_ = control->GetDisposal();
        }
    }
}

void TGIFPainter::NextDelay() {
    delay_ = GIFDefaultDelay;
    const TGIFGraphicControlExtension* control = Frame().GraphicControlExtension;
    if (control == nullptr || control->GetDelay() == 0)
        return;
    delay_ = std::max(control->GetDelay(), GIFMinimumDelay);
    if (!Async())
        delay_ = std::min<std::int64_t>(delay_, GIFMaximumDelay);
}

void TGIFPainter::WaitForFrame() {
    if (delay_ <= 0) {
        clock_->Sleep(0);
        return;
    }
    // Rendering ahead keeps the frame's own cost out of its wait.
    Frame().GetBitmap();
    const std::int64_t now = clock_->Now();
    const std::int64_t wait =
        GIFFrameWait(static_cast<int>(delay_), now - lastTime_ - lastWait_, animationSpeed_, Async());
    delay_ = wait;
    lastWait_ = wait;
    lastTime_ = now;
    if (Async())
        WaitAsync(wait);
    else
        WaitUnthreaded(wait);
}

void TGIFPainter::WaitAsync(std::int64_t wait) {
    if (wait <= 0 && animationSpeed_ != 0)
        return;
    if (!event_) {
        clock_->Sleep(wait);
        return;
    }
    if (clock_->Wait(*event_, wait)) {
        lastWait_ = 0;
        lastTime_ = clock_->Now();
    }
}

void TGIFPainter::WaitUnthreaded(std::int64_t wait) {
    wait = std::max<std::int64_t>(wait, 1);
    std::int64_t then = clock_->Now();
    while (wait > 0 && !Stopping()) {
        clock_->Sleep(std::min<std::int64_t>(wait, 100));
        const std::int64_t now = clock_->Now();
        wait -= now - then;
        then = now;
        // The event queue keeps going while an unthreaded painter waits: other painters'
        // synchronised calls, paint events, and input that may stop this one.
        CheckSynchronize();
        if (QCoreApplication::instance() != nullptr && IsMainThread())
            QCoreApplication::processEvents();
    }
}

// ---- Events and synchronisation ----------------------------------------------------------------

void TGIFPainter::Fire(const TGIFPainterEvent& event) {
    if (event)
        DoSynchronize([&] { event(*this); });
}

void TGIFPainter::DoSynchronize(const std::function<void()>& work) {
    if (Terminated())
        return;
    if (!Async()) {
        work();
        return;
    }
    Synchronize([&] {
        inSynchronizedCall_ = true;
        struct TCallEnd {
            std::atomic<bool>& flag;
            ~TCallEnd() { flag = false; }
        } end{inSynchronizedCall_};
        work();
    });
}

bool TGIFPainter::CanvasAlive() const {
    return !canvasHandle_.expired() && image_ != nullptr;
}

void TGIFPainter::DoPaint() {
    if (!CanvasAlive()) {
        Terminate();
        return;
    }
    Frame().Draw(*canvas_, rect_, Has(TGIFDrawOption::goTransparent), Has(TGIFDrawOption::goTile));
    canvas_->Changed();
    started_ = true;
}

void TGIFPainter::DoPaintFrame() {
    if (!CanvasAlive()) {
        Terminate();
        return;
    }
    const bool clearFirst = Has(TGIFDrawOption::goClearOnLoop) && activeImage_ == 0;
    const bool transparent = Has(TGIFDrawOption::goTransparent);
    const bool tile = Has(TGIFDrawOption::goTile);
    const QRect bufferRect(QPoint(0, 0), rect_.size());
    if (clearFirst)
        RestoreBackground();
    if (disposal_ == dmPrevious && (previousDisposal_ == dmNone || previousDisposal_ == dmNoDisposal)) {
        // The backup keeps the state before this frame, so the next frame's showing undoes it.
        Frame().Draw(*canvas_, rect_, transparent, tile);
    } else {
        QImage* target = &*backup_;
        if (disposal_ == dmPrevious) {
            *frameBuffer_ = *backup_;
            target = &*frameBuffer_;
        }
        TCanvas buffer(*target);
        Frame().Draw(buffer, bufferRect, transparent, tile);
        canvas_->CopyRect(rect_, *target, bufferRect);
        if (disposal_ == dmBackground)
            RestoreBackground();
    }
    canvas_->Changed();
    started_ = true;
}

void TGIFPainter::RestoreBackground() {
    TGIFSubImage& frame = Frame();
    TCanvas buffer(*backup_);
    const QRect bufferRect(QPoint(0, 0), rect_.size());
    std::vector<QRect> areas;
    if (Has(TGIFDrawOption::goTile)) {
        for (int x = frame.Left(); x < bufferRect.width(); x += std::max(image_->GetWidth(), 1))
            for (int y = frame.Top(); y < bufferRect.height(); y += std::max(image_->GetHeight(), 1))
                areas.emplace_back(x, y, frame.Width(), frame.Height());
    } else {
        areas.push_back(frame.ScaleRect(bufferRect));
    }
    for (const QRect& area : areas) {
        if (background_)
            buffer.CopyRect(area, *background_, area);
        else
            buffer.FillRect(area, backgroundColor_);
    }
}

void TGIFPainter::DoOnTerminate() {
    if (image_ != nullptr) {
        auto lock = image_->Painters().LockList();
        if (reference_ != nullptr && *reference_ == this)
            *reference_ = nullptr;
        image_->Painters().Remove(this);
    }
    image_ = nullptr;
    backup_.reset();
    frameBuffer_.reset();
    background_.reset();
    if (kept_ && Async() && QCoreApplication::instance() != nullptr) {
        // The thread has nobody to raise it to; the GUI thread's event loop reports it.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [error = kept_] { std::rethrow_exception(error); },
            Qt::QueuedConnection);
    }
}

void TGIFPainter::RunAndFree(TGIFPainter* painter) {
    painter->FreeOnTerminate = false;
    painter->Execute();
    painter->DoOnTerminate();
    const std::exception_ptr kept = painter->kept_;
    // The unthreaded painter never started a thread; destroying it joins nothing.
    painter->OnTerminate = nullptr;
    delete painter;
    if (kept)
        std::rethrow_exception(kept);
}

// ---- The image's side --------------------------------------------------------------------------

TGIFPainter* TGIFImage::InternalPaint(TGIFPainter** painter, TCanvas& canvas, const QRect& rect,
                                      TGIFDrawOptions options) {
    if (GetEmpty() || rect.width() <= 0 || rect.height() <= 0) {
        if (painter != nullptr)
            *painter = nullptr;
        return nullptr;
    }
    if (Images().Count() == 1)
        options = TGIFDrawOptions(static_cast<std::uint16_t>(
            options.Value() & ~TGIFDrawOptions{TGIFDrawOption::goAsync, TGIFDrawOption::goAnimate}.Value()));
    auto* created = new TGIFPainter(painter, *this, canvas, rect, options);
    painters_.Add(created);
    created->OnStartPaint = OnStartPaint;
    created->OnPaint = OnPaint;
    created->OnAfterPaint = OnAfterPaint;
    created->OnLoop = OnLoop;
    created->OnEndPaint = OnEndPaint;
    if (options.Contains(TGIFDrawOption::goAsync)) {
        created->Priority = ThreadPriority;
        return created;
    }
    // The painter clears `*painter` as it ends; a handler may have destroyed this image meanwhile,
    // so nothing of it is touched after the run.
    TGIFPainter::RunAndFree(created);
    return nullptr;
}

void TGIFImage::Paint(TCanvas& canvas, const QRect& rect, TGIFDrawOptions options) {
    if (TGIFPainter* painter = InternalPaint(nullptr, canvas, rect, options))
        painter->Start();
}

void TGIFImage::PaintStart() {
    auto lock = painters_.LockList();
    for (TGIFPainter* painter : painters_.Items())
        painter->Start();
}

void TGIFImage::PaintResume() {
    PaintStart();
}

void TGIFImage::PaintPause() {
    auto lock = painters_.LockList();
    for (TGIFPainter* painter : painters_.Items())
        if (painter->DrawOptions().Contains(TGIFDrawOption::goAsync))
            painter->Suspend();
}

void TGIFImage::PaintRestart() {
    auto lock = painters_.LockList();
    for (TGIFPainter* painter : painters_.Items())
        painter->Restart();
}

// Whether the GUI thread must run synchronised calls until `painter` has ended: a threaded painter
// whose own call is running (a handler stopping its image) ends only after that call returns.
bool TGIFImage::MustWaitFor(const TGIFPainter& painter) {
    return painter.DrawOptions().Contains(TGIFDrawOption::goAsync) && !painter.InSynchronizedCall();
}

void TGIFImage::PaintStop() {
    while (true) {
        int waiting = 0;
        {
            auto lock = painters_.LockList();
            std::vector<TGIFPainter*>& items = painters_.Items();
            for (auto it = items.rbegin(); it != items.rend(); ++it) {
                (*it)->Stop();
                waiting += MustWaitFor(**it) ? 1 : 0;
            }
        }
        if (waiting == 0)
            break;
        // The painters end through synchronised calls that only this thread can run.
        CheckSynchronize(1);
    }
    bitmapCanvas_.reset();
    bitmap_.reset();
}

void TGIFImage::StopDrawPainter() {
    while (true) {
        {
            auto lock = painters_.LockList();
            if (drawPainter_ == nullptr)
                return;
            drawPainter_->Stop();
            if (!MustWaitFor(*drawPainter_))
                return;
        }
        CheckSynchronize(1);
    }
}

void TGIFImage::StopDraw() {
    StopDrawPainter();
    bitmapCanvas_.reset();
    bitmap_.reset();
}

void TGIFImage::StartDrawPainter(TCanvas& canvas, const QRect& rect) {
    auto lock = painters_.LockList();
    if (drawPainter_ != nullptr && drawPainter_->Canvas() == &canvas && drawPainter_->Rect() == rect)
        return;
    StopDraw();
    const bool direct = drawOptions_.Contains(TGIFDrawOption::goDirectDraw);
    TCanvas* target = &canvas;
    QRect targetRect = rect;
    if (!direct) {
        NewBitmap();
        targetRect = bitmapCanvas_->ClipRect();
        bitmapCanvas_->CopyRect(targetRect, canvas.Grab(rect), QRect(QPoint(0, 0), rect.size()));
        target = bitmapCanvas_.get();
    }
    if (TGIFPainter* painter = InternalPaint(&drawPainter_, *target, targetRect, drawOptions_))
        painter->Start();
    if (direct)
        return;
    // Show at least the first frame now: wait for it, running the painter's synchronised calls.
    lock.unlock();
    while (true) {
        {
            auto relock = painters_.LockList();
            if (drawPainter_ == nullptr || drawPainter_->Terminated() || drawPainter_->Started())
                return;
        }
        CheckSynchronize(1);
    }
}

void TGIFImage::SpeedChanged() {
    auto lock = painters_.LockList();
    if (drawPainter_ != nullptr)
        drawPainter_->SetAnimationSpeed(animationSpeed_);
}

void TGIFImage::DetachPainters() {
    PaintStop();
    auto lock = painters_.LockList();
    for (TGIFPainter* painter : painters_.Items())
        painter->Detach();
    painters_.Items().clear();
}

} // namespace qm
