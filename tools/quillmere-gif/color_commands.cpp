// The colour processing's subcommands: reduce (a picture to an 8-bit BMP through ReduceColors)
// and palette (the optimised palette shared by several pictures).
#include "colour/color_quantizer.h"
#include "colour/reduce_colors.h"
#include "framework/graphics/bitmap.h"
#include "tools/quillmere-gif/command_registry.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm::tool {

namespace {

constexpr std::array<const char*, 10> kReductionNames = {
    "rmNone",      "rmWindows20", "rmWindows256", "rmWindowsGray",     "rmMonochrome",
    "rmGrayScale", "rmNetscape",  "rmQuantize",   "rmQuantizeWindows", "rmPalette"};
constexpr std::array<const char*, 7> kDitherNames = {"dmNearest", "dmFloydSteinberg", "dmStucki", "dmSierra",
                                                     "dmJaJuNI",  "dmSteveArche",     "dmBurkes"};

// The enumerator whose name is `name`, by its position in `names`.
template <typename E, std::size_t N>
std::optional<E> enumerator(const std::array<const char*, N>& names, const std::string& name) {
    for (std::size_t i = 0; i < N; ++i)
        if (name == names[i])
            return static_cast<E>(i);
    return std::nullopt;
}

std::optional<int> Number(const std::string& text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// Options of the form --name VALUE or --flag, and the plain arguments between them.
struct Arguments {
    std::vector<std::string> plain;
    std::vector<std::pair<std::string, std::string>> options;
    bool valid = true;
};

Arguments Split(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                const std::vector<std::string>& flags) {
    Arguments result;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            result.plain.push_back(arg);
        } else if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
            result.options.emplace_back(arg, "");
        } else if (std::find(valued.begin(), valued.end(), arg) != valued.end() && i + 1 < args.size()) {
            result.options.emplace_back(arg, args[++i]);
        } else {
            result.valid = false;
        }
    }
    return result;
}

int ReportFailure(const std::string& message) {
    std::fprintf(stderr, "quillmere-gif: %s\n", message.c_str());
    return ExitFailure;
}

int Usage(const char* line) {
    std::fprintf(stderr, "usage: quillmere-gif %s\n", line);
    return ExitUsage;
}

struct ReduceRequest {
    std::string input;
    std::string output;
    TColorReduction reduction = TColorReduction::rmNetscape;
    TDitherMode dither = TDitherMode::dmNearest;
    int bits = 8;
};

std::optional<ReduceRequest> ParseReduce(const std::vector<std::string>& args) {
    const Arguments parsed = Split(args, {"--reduction", "--dither", "--bits"}, {});
    if (!parsed.valid || parsed.plain.size() != 2)
        return std::nullopt;
    ReduceRequest request{parsed.plain[0], parsed.plain[1]};
    for (const auto& [name, value] : parsed.options) {
        if (name == "--reduction") {
            const auto reduction = enumerator<TColorReduction>(kReductionNames, value);
            if (!reduction)
                return std::nullopt;
            request.reduction = *reduction;
        } else if (name == "--dither") {
            const auto dither = enumerator<TDitherMode>(kDitherNames, value);
            if (!dither)
                return std::nullopt;
            request.dither = *dither;
        } else {
            const auto bits = Number(value);
            if (!bits)
                return std::nullopt;
            request.bits = *bits;
        }
    }
    return request;
}

const char* const kReduceUsage = "reduce IN OUT.bmp [--reduction NAME] [--dither NAME] [--bits N]";
const char* const kPaletteUsage = "palette IN... [--colors N] [--system-colors]";

int RunReduce(const std::vector<std::string>& args) {
    const std::optional<ReduceRequest> request = ParseReduce(args);
    if (!request)
        return Usage(kReduceUsage);
    try {
        TBitmap source;
        source.LoadFromFile(QString::fromStdString(request->input));
        const std::unique_ptr<TBitmap> result =
            ReduceColors(source, request->reduction, request->dither, request->bits, std::nullopt);
        if (result->Empty())
            return ReportFailure("the reduction gave no image (no palette to reduce to)");
        result->SaveToFile(QString::fromStdString(request->output));
        return ExitOk;
    } catch (const std::exception& e) {
        return ReportFailure(e.what());
    }
}

int RunPalette(const std::vector<std::string>& args) {
    const Arguments parsed = Split(args, {"--colors"}, {"--system-colors"});
    if (!parsed.valid || parsed.plain.empty())
        return Usage(kPaletteUsage);
    int colors = 256;
    bool systemColors = false;
    for (const auto& [name, value] : parsed.options) {
        if (name == "--system-colors") {
            systemColors = true;
            continue;
        }
        const std::optional<int> n = Number(value);
        if (!n)
            return Usage(kPaletteUsage);
        colors = *n;
    }
    try {
        std::vector<TBitmap> bitmaps(parsed.plain.size());
        std::vector<TBitmap*> list;
        for (std::size_t i = 0; i < bitmaps.size(); ++i) {
            bitmaps[i].LoadFromFile(QString::fromStdString(parsed.plain[i]));
            list.push_back(&bitmaps[i]);
        }
        const TPalette palette = CreateOptimizedPaletteFromManyBitmaps(list, colors, 8, systemColors);
        for (const TPaletteEntry& e : palette.Entries())
            std::printf("%d %d %d\n", e.peRed, e.peGreen, e.peBlue);
        return ExitOk;
    } catch (const std::exception& e) {
        return ReportFailure(e.what());
    }
}

const RegisterCommand reduceCommand("reduce", {kReduceUsage, "reduce a picture to an 8-bit BMP", RunReduce});
const RegisterCommand paletteCommand("palette",
                                     {kPaletteUsage, "print the optimised palette of pictures", RunPalette});

} // namespace
} // namespace qm::tool
