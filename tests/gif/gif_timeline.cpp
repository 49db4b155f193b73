#include "tests/gif/gif_timeline.h"

#include "gif/gif_extensions.h"

#include <algorithm>
#include <utility>

namespace qm::test {

namespace {

class TScreen {
public:
    TScreen(int width, int height)
        : width_(width), height_(height),
          pixels_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}

    void Draw(TGIFSubImage& frame) {
        TGIFColorMap& map = frame.GetActiveColorMap();
        const auto* gce = frame.GraphicControlExtension;
        const bool transparent = frame.Transparent && gce != nullptr && gce->GetTransparent();
        ForEachPixel(frame, [&](std::uint32_t& pixel, std::uint8_t index) {
            if (transparent && index == gce->GetTransparentColorIndex())
                return;
            const TGIFColor c = index < map.Count() ? map[index] : TGIFColor{};
            pixel = 0xFF000000u | static_cast<std::uint32_t>(c.Red) << 16 |
                    static_cast<std::uint32_t>(c.Green) << 8 | c.Blue;
        });
    }
    void Clear(TGIFSubImage& frame) {
        ForEachPixel(frame, [](std::uint32_t& pixel, std::uint8_t) { pixel = 0; });
    }
    const std::vector<std::uint32_t>& Pixels() const { return pixels_; }
    void Restore(const std::vector<std::uint32_t>& saved) { pixels_ = saved; }

private:
    template <class F> void ForEachPixel(TGIFSubImage& frame, F&& f) {
        for (int y = 0; y < frame.Height(); ++y) {
            const int sy = frame.Top() + y;
            if (sy >= height_)
                break;
            for (int x = 0; x < frame.Width(); ++x) {
                const int sx = frame.Left() + x;
                if (sx >= width_)
                    break;
                f(pixels_[static_cast<std::size_t>(sy) * static_cast<std::size_t>(width_) +
                          static_cast<std::size_t>(sx)],
                  std::as_const(frame)
                      .Data()[static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.Width()) +
                              static_cast<std::size_t>(x)]);
            }
        }
    }
    int width_;
    int height_;
    std::vector<std::uint32_t> pixels_;
};

int Disposal(const TGIFSubImage& frame) {
    int disposal = dmNoDisposal;
    for (const auto& extension : frame.Extensions())
        if (const auto* gce = dynamic_cast<const TGIFGraphicControlExtension*>(extension.get()))
            disposal = gce->GetDisposal();
    return disposal;
}

int Delay(const TGIFSubImage& frame) {
    const auto* gce = frame.GraphicControlExtension;
    return gce == nullptr || gce->GetDelay() == 0 ? GIFDefaultDelay
                                                  : std::max(gce->GetDelay(), GIFMinimumDelay);
}

// The frame that starts later passes and how many passes the painter plays at most.
std::pair<int, int> LoopOf(TGIFImage& image, int passes) {
    for (int i = 0; i < image.Images().Count(); ++i)
        for (const auto& extension : image.Images().Items(i)->Extensions())
            if (const auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(extension.get()))
                return {i, loop->Loops == 0 ? passes : std::min(passes, static_cast<int>(loop->Loops))};
    return {0, 1};
}

} // namespace

std::vector<TShownPicture> ShownOverTime(TGIFImage& image, int passes) {
    TScreen screen(image.GetWidth(), image.GetHeight());
    std::vector<TShownPicture> shown;
    const auto [loopStart, played] = LoopOf(image, passes);
    for (int pass = 0; pass < played; ++pass) {
        for (int i = pass == 0 ? 0 : loopStart; i < image.Images().Count(); ++i) {
            TGIFSubImage& frame = *image.Images().Items(i);
            if (frame.GetEmpty())
                continue;
            const int disposal = Disposal(frame);
            const std::vector<std::uint32_t> before = screen.Pixels();
            screen.Draw(frame);
            if (!shown.empty() && shown.back().screen == screen.Pixels())
                shown.back().duration += Delay(frame);
            else
                shown.push_back({screen.Pixels(), Delay(frame)});
            if (disposal == dmBackground)
                screen.Clear(frame);
            else if (disposal == dmPrevious)
                screen.Restore(before);
        }
    }
    return shown;
}

std::string CompareShown(const std::vector<TShownPicture>& before, const std::vector<TShownPicture>& after) {
    if (before.size() != after.size())
        return std::to_string(before.size()) + " pictures before, " + std::to_string(after.size()) + " after";
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i].screen != after[i].screen)
            return "picture " + std::to_string(i) + " differs";
        if (i + 1 < before.size() && before[i].duration != after[i].duration)
            return "picture " + std::to_string(i) + " shown for " + std::to_string(before[i].duration) +
                   " then " + std::to_string(after[i].duration);
    }
    return "";
}

} // namespace qm::test
