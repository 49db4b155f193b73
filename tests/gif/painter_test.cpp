// The animation painter: frame delays and speed, loop passes, events, disposal composition, and
// threaded start, pause, restart and stop. Time comes from a stepping clock unless a test is about
// real threads waiting.
#include "framework/core/exceptions.h"
#include "framework/graphics/canvas.h"
#include "framework/graphics/clock.h"
#include "gif/gif_painter.h"
#include "tests/gif/animation_builder.h"
#include "tests/support/sync_pump.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace qm::test {
namespace {

using enum TGIFDrawOption;

// What a painter showed: the frame of every OnPaint with the clock's time, and the other events.
struct PaintLog {
    std::vector<int> frames;
    std::vector<std::int64_t> times;
    int starts = 0;
    int loops = 0;
    int ends = 0;

    void Attach(TGIFImage& image) {
        image.OnStartPaint = [this](TGIFPainter&) { ++starts; };
        image.OnLoop = [this](TGIFPainter&) { ++loops; };
        image.OnEndPaint = [this](TGIFPainter&) { ++ends; };
        image.OnPaint = [this, &image](TGIFPainter& painter) {
            frames.push_back(painter.ActiveImage());
            times.push_back(image.Clock->Now());
        };
    }
};

// Plays `image` on a canvas of its size to the end of the painter.
void Play(TGIFImage& image, TGIFDrawOptions options, QImage& target) {
    TCanvas canvas(target);
    image.Paint(canvas, target.rect(), options);
    ASSERT_TRUE(PumpUntil([&] { return image.Painters().Count() == 0; }));
}

class Painter : public ::testing::Test {
protected:
    TStepClock clock;
    QImage target = CanvasImage(2, 1);
    PaintLog log;

    std::unique_ptr<TGIFImage> Make(const std::vector<FrameSpec>& frames, int loops = -1) {
        auto image = MakeAnimation(2, 1, frames, loops);
        image->Clock = &clock;
        log.Attach(*image);
        return image;
    }
};

struct DelayCase {
    const char* name;
    int delay;
    int speed;
    bool async;
    std::int64_t waitMs;
};

class PainterDelay : public Painter, public ::testing::WithParamInterface<DelayCase> {};

TEST_P(PainterDelay, WaitsTheClampedDelayScaledBySpeed) {
    const DelayCase& c = GetParam();
    auto image = Make({{.delay = c.delay}, {}});
    image->SetAnimationSpeed(c.speed);
    Play(*image, c.async ? TGIFDrawOptions{goAsync, goAnimate} : TGIFDrawOptions{goAnimate}, target);
    ASSERT_EQ(log.times.size(), 2u);
    EXPECT_EQ(log.times[1] - log.times[0], c.waitMs);
}

INSTANTIATE_TEST_SUITE_P(Cases, PainterDelay,
                         ::testing::Values(DelayCase{"delay1_is3units", 1, 100, false, 36},
                                           DelayCase{"delay0_is10units", 0, 100, false, 120},
                                           DelayCase{"delay5000_cutUnthreaded", 5000, 100, false, 12000},
                                           DelayCase{"delay5000_keptThreaded", 5000, 100, true, 60000},
                                           DelayCase{"speed200_halves", 10, 200, true, 60},
                                           DelayCase{"speed50_doubles", 10, 50, false, 240},
                                           DelayCase{"speed0_unthreaded_longest", 10, 0, false, 12000}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameWait, TakesHalfTheOverrunOffAndRounds) {
    EXPECT_EQ(GIFFrameWait(10, 20, 100, true), 110);
    EXPECT_EQ(GIFFrameWait(10, -3, 100, true), 121) << "the halving truncates toward zero";
    EXPECT_EQ(GIFFrameWait(1, 0, 7, true), 171) << "12 * 100 / 7 = 171.4";
    EXPECT_EQ(GIFFrameWait(10, 0, 0, true), -1);
}

TEST_F(Painter, SpeedZeroHoldsAThreadedAnimationUntilTheSpeedChanges) {
    auto image = Make({{}, {}});
    image->SetAnimationSpeed(0);
    TCanvas canvas(target);
    TGIFPainter* painter = image->InternalPaint(nullptr, canvas, target.rect(), {goAsync, goAnimate});
    painter->Start();
    ASSERT_TRUE(PumpUntil([&] { return log.frames.size() == 1; }));
    PumpFor(200); // time in which nothing may move
    EXPECT_EQ(log.frames, std::vector<int>{0});
    painter->SetAnimationSpeed(100);
    ASSERT_TRUE(PumpUntil([&] { return image->Painters().Count() == 0; }));
    EXPECT_EQ(log.frames, (std::vector<int>{0, 1}));
}

struct LoopCase {
    const char* name;
    int loops;     // loop extension's count, -1 none
    int loopFrame; // the frame carrying it
    TGIFDrawOptions options;
    int stopAfter; // paints after which the test stops the painter, 0 never
    std::vector<int> frames;
    int onLoop;
};

class PainterLoops : public Painter, public ::testing::WithParamInterface<LoopCase> {};

TEST_P(PainterLoops, PlaysThePassesTheLoopExtensionAsks) {
    const LoopCase& c = GetParam();
    auto image = Make({{}, {}, {}});
    if (c.loops >= 0) {
        TGIFSubImage& frame = *image->Images().Items(c.loopFrame);
        auto loop = std::make_unique<TGIFAppExtNSLoop>(&frame);
        loop->Loops = c.loops;
        frame.Extensions().Add(std::move(loop));
    }
    image->OnAfterPaint = [&](TGIFPainter& painter) {
        if (c.stopAfter > 0 && static_cast<int>(log.frames.size()) == c.stopAfter)
            painter.Stop();
    };
    Play(*image, c.options, target);
    EXPECT_EQ(log.frames, c.frames);
    EXPECT_EQ(log.loops, c.onLoop);
    EXPECT_EQ(log.starts, 1);
    EXPECT_EQ(log.ends, c.stopAfter > 0 ? 0 : 1) << "a stopped painter fires no more events";
}

const TGIFDrawOptions kLooping{goAnimate, goLoop};
const TGIFDrawOptions kThreadedLooping{goAsync, goAnimate, goLoop};

INSTANTIATE_TEST_SUITE_P(
    Cases, PainterLoops,
    ::testing::Values(LoopCase{"three_passes", 3, 0, kLooping, 0, {0, 1, 2, 0, 1, 2, 0, 1, 2}, 2},
                      LoopCase{"earlier_frames_only_first", 2, 1, kLooping, 0, {0, 1, 2, 1, 2}, 1},
                      LoopCase{"without_goLoop_once", 3, 0, {goAnimate}, 0, {0, 1, 2}, 0},
                      LoopCase{"zero_unthreaded_once", 0, 0, kLooping, 0, {0, 1, 2}, 0},
                      LoopCase{
                          "zero_threaded_endless", 0, 0, kThreadedLooping, 8, {0, 1, 2, 0, 1, 2, 0, 1}, 2},
                      LoopCase{"no_extension_once", -1, 0, kThreadedLooping, 0, {0, 1, 2}, 0},
                      LoopCase{"without_goAnimate_first_frame", 3, 0, {goAsync, goLoop}, 0, {0}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A frame without pixels (extensions only, or no area) shows nothing; the frames after it play.
struct EmptyFrameCase {
    const char* name;
    std::vector<FrameSpec> frames;
    TGIFDrawOptions options;
    std::vector<int> painted;
};

class PainterEmptyFrames : public Painter, public ::testing::WithParamInterface<EmptyFrameCase> {};

TEST_P(PainterEmptyFrames, AreSkipped) {
    auto image = Make(GetParam().frames, 0);
    Play(*image, GetParam().options, target);
    EXPECT_EQ(log.frames, GetParam().painted);
}

INSTANTIATE_TEST_SUITE_P(Cases, PainterEmptyFrames,
                         ::testing::Values(EmptyFrameCase{"between",
                                                          {{.fill = tcRed}, {.width = 0}, {.fill = tcBlue}},
                                                          {goAnimate},
                                                          {0, 2}},
                                           EmptyFrameCase{"only_empty_frames_looping_without_end",
                                                          {{.width = 0}, {.width = 0}},
                                                          {goAnimate, goLoop, goLoopContinously},
                                                          {}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Painter, ASingleFrameIsPaintedOnceAtOnceEvenWhenThreaded) {
    auto image = Make({{}});
    TCanvas canvas(target);
    EXPECT_EQ(image->InternalPaint(nullptr, canvas, target.rect(), kThreadedLooping), nullptr);
    EXPECT_EQ(log.frames, std::vector<int>{0});
    EXPECT_EQ(image->Painters().Count(), 0);
}

TEST_F(Painter, AnAfterPaintHandlerChoosesTheNextFrame) {
    auto image = Make({{}, {}, {}});
    image->OnAfterPaint = [](TGIFPainter& painter) {
        if (painter.ActiveImage() == 0)
            painter.SetActiveImage(2);
    };
    Play(*image, {goAnimate}, target);
    EXPECT_EQ(log.frames, (std::vector<int>{0, 2}));
}

TEST_F(Painter, AnExceptionReachesTheCallerOfAnUnthreadedPaint) {
    auto image = Make({{}, {}});
    image->OnPaint = [](TGIFPainter&) { throw EInvalidGraphic("broken"); };
    TCanvas canvas(target);
    EXPECT_THROW(image->Paint(canvas, target.rect(), {goAnimate}), EInvalidGraphic);
    EXPECT_EQ(image->Painters().Count(), 0);
}

// Each frame's disposal decides what the next frame is drawn over; a 2 x 1 canvas starts magenta.
TEST_F(Painter, ComposesEveryDisposalMethod) {
    const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255), W = qRgb(255, 255, 255),
               M = Untouched;
    auto image = Make({{.width = 2, .fill = tcRed, .disposal = dmNone},
                       {.left = 1, .fill = tcBlue, .disposal = dmBackground},
                       {.fill = tcGreen, .disposal = dmPrevious},
                       {.left = 1, .fill = tcWhite, .disposal = dmPrevious},
                       {.fill = tcBlue, .disposal = dmNone},
                       {.left = 1, .fill = tcGreen, .disposal = dmPrevious},
                       {.fill = tcRed, .disposal = dmNoDisposal},
                       {.left = 1, .fill = tcBlue, .disposal = 5}});
    std::vector<std::pair<QRgb, QRgb>> shown;
    image->OnAfterPaint = [&](TGIFPainter&) { shown.emplace_back(target.pixel(0, 0), target.pixel(1, 0)); };
    Play(*image, {goAnimate, goTransparent}, target);
    EXPECT_EQ(shown, (std::vector<std::pair<QRgb, QRgb>>{
                         {R, R}, {R, B}, {G, M}, {R, W}, {B, M}, {B, G}, {R, M}, {R, B}}));
}

TEST_F(Painter, AThreadedPainterLeavesACanvasThatIsGone) {
    auto image = Make({{.fill = tcRed}, {.fill = tcBlue}});
    auto canvas = std::make_unique<TCanvas>(target);
    image->OnAfterPaint = [&](TGIFPainter&) { canvas.reset(); };
    image->Paint(*canvas, target.rect(), kThreadedLooping);
    ASSERT_TRUE(PumpUntil([&] { return image->Painters().Count() == 0; }));
    EXPECT_EQ(log.frames, (std::vector<int>{0, 1}));
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 0, 0)) << "the second frame was not drawn";
}

// Real threads and real waits: start, restart, pause, resume and destroy while frames wait.
TEST(ThreadedPainter, StartsRestartsPausesAndStopsWithoutHanging) {
    PaintLog log;
    auto image = MakeAnimation(2, 1, {{.delay = 2}, {.delay = 2}, {.delay = 2}}, 0);
    log.Attach(*image);
    QImage first = CanvasImage(2, 1);
    QImage second = CanvasImage(4, 2);
    TCanvas one(first);
    TCanvas two(second);
    image->Paint(one, first.rect(), kThreadedLooping);
    image->Paint(two, second.rect(), {goAsync, goAnimate, goLoop, goTransparent, goClearOnLoop});
    ASSERT_TRUE(PumpUntil([&] { return log.frames.size() >= 4; }));
    image->PaintRestart();
    ASSERT_TRUE(PumpUntil([&] { return log.starts >= 4; }));
    image->PaintPause();
    PumpFor(100);
    const std::size_t paused = log.frames.size();
    PumpFor(200);
    EXPECT_LE(log.frames.size(), paused + 2) << "at most the frames already on their way";
    image->PaintResume();
    ASSERT_TRUE(PumpUntil([&] { return log.frames.size() >= paused + 4; }));
    image.reset(); // stops both painters and waits for them
}

// A threaded painter's handler runs inside its synchronised call, so the painter cannot end before
// the handler returns: stopping or destroying the image from there must not wait for it, and
// whatever the loop does next must not touch the image again. Every event, threaded and not.
struct HandlerCase {
    const char* name;
    TGIFPainterEvent TGIFImage::*event;
    bool threaded;
    bool destroy;
};

class PainterHandler : public ::testing::TestWithParam<HandlerCase> {};

TEST_P(PainterHandler, StopsOrDestroysItsOwnImage) {
    const HandlerCase& c = GetParam();
    // Two passes, so that OnLoop fires in unthreaded painters too.
    auto image = MakeAnimation(2, 1, {{.delay = 2}, {.delay = 2}}, 2);
    QImage target = CanvasImage(2, 1);
    TCanvas canvas(target);
    int calls = 0;
    int paints = 0;
    image->OnPaint = [&](TGIFPainter&) { ++paints; };
    TGIFPainterEvent& event = (*image).*c.event;
    const TGIFPainterEvent counted = event;
    event = [&](TGIFPainter& sender) {
        if (counted)
            counted(sender);
        if (++calls != 1)
            return;
        if (c.destroy)
            image.reset();
        else
            image->PaintStop();
    };
    const TGIFDrawOptions options =
        c.threaded ? TGIFDrawOptions{goAsync, goAnimate, goLoop} : TGIFDrawOptions{goAnimate, goLoop};
    image->Paint(canvas, target.rect(), options);
    ASSERT_TRUE(PumpUntil([&] { return !image || image->Painters().Count() == 0; }));
    const int stoppedAt = paints;
    PumpFor(50);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(paints, stoppedAt) << "a stopped painter paints no more";
}

std::vector<HandlerCase> HandlerCases() {
    const std::pair<const char*, TGIFPainterEvent TGIFImage::*> events[] = {
        {"start", &TGIFImage::OnStartPaint},
        {"paint", &TGIFImage::OnPaint},
        {"after_paint", &TGIFImage::OnAfterPaint},
        {"loop", &TGIFImage::OnLoop},
        {"end", &TGIFImage::OnEndPaint}};
    static std::vector<std::string> names;
    std::vector<HandlerCase> cases;
    for (const auto& [event, member] : events)
        for (const bool threaded : {false, true})
            for (const bool destroy : {false, true}) {
                names.push_back(std::string(event) + (threaded ? "_threaded" : "_unthreaded") +
                                (destroy ? "_destroys" : "_stops"));
                cases.push_back({nullptr, member, threaded, destroy});
            }
    for (std::size_t i = 0; i < cases.size(); ++i)
        cases[i].name = names[i].c_str();
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Events, PainterHandler, ::testing::ValuesIn(HandlerCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// The GUI thread drops and changes cached frame state while a threaded painter renders frames
// ahead on its own thread; under ThreadSanitizer every such change must be ordered with rendering.
TEST(ThreadedPainter, CachedStateChangesWhileFramesRender) {
    std::vector<FrameSpec> frames;
    for (const std::uint8_t fill : {tcRed, tcGreen, tcBlue, tcWhite})
        frames.push_back({.width = 300, .height = 300, .fill = fill, .delay = 1});
    auto image = MakeAnimation(300, 300, frames, 0);
    QImage target = CanvasImage(300, 300);
    TCanvas canvas(target);
    int paints = 0;
    image->OnPaint = [&](TGIFPainter&) { ++paints; };
    const TGIFDrawOptions looping{goAsync, goAnimate, goLoop, goTransparent};
    image->Paint(canvas, target.rect(), looping);
    for (int round = 0; round < 40; ++round) {
        image->Pack();
        image->FreePalette();
        for (const auto& frame : image->Images())
            frame->FreePalette();
        // Changing the options stops only Draw's painter; the one Paint started goes on.
        image->SetDrawOptions(round % 2 == 0 ? TGIFDrawOptions{goAnimate, goLoop, goDither}
                                             : GIFImageDefaultDrawOptions);
        CheckSynchronize(1);
    }
    EXPECT_GT(paints, 0);
    image->Optimize({TGIFOptimizeOption::ooCrop}, TColorReduction::rmNone, TDitherMode::dmNearest, 8);
    EXPECT_EQ(image->Painters().Count(), 0) << "optimizing stops every painter first";
    image->Paint(canvas, target.rect(), looping);
    ASSERT_TRUE(PumpUntil([&] { return paints > 4; }));
    image.reset();
}

TEST(ThreadedPainter, ReportsRenderingProgressOnTheGuiThread) {
    auto image = MakeAnimation(2, 1, {{.delay = 2}, {.delay = 2}, {.delay = 2}});
    std::vector<bool> onGuiThread;
    image->OnProgress = [&](TGraphic&, TProgressStage, int, bool, const QRect&, const std::string&) {
        onGuiThread.push_back(IsMainThread());
    };
    QImage target = CanvasImage(2, 1);
    TCanvas canvas(target);
    image->Paint(canvas, target.rect(), {goAsync, goAnimate});
    ASSERT_TRUE(PumpUntil([&] { return image->Painters().Count() == 0; }));
    ASSERT_FALSE(onGuiThread.empty());
    EXPECT_EQ(std::count(onGuiThread.begin(), onGuiThread.end(), false), 0);
}

TEST(ThreadedPainter, DrawShowsTheFirstFrameAtOnceAndTheAnimationThroughChanges) {
    auto image = MakeAnimation(1, 1, {{.fill = tcRed, .delay = 2}, {.fill = tcBlue, .delay = 2}}, 0);
    int changes = 0;
    image->OnChange = [&](TGraphic&) { ++changes; };
    QImage target = CanvasImage(1, 1);
    TCanvas canvas(target);
    image->Draw(canvas, target.rect());
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 0, 0));
    ASSERT_TRUE(PumpUntil([&] { return changes >= 3; }));
    image->Draw(canvas, target.rect());
    EXPECT_NE(image->DrawPainter(), nullptr);
    image->StopDraw();
    EXPECT_EQ(image->DrawPainter(), nullptr);
    EXPECT_EQ(image->Painters().Count(), 0);
}

} // namespace
} // namespace qm::test
