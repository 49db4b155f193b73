// The colour processing's subcommands: reduce (a picture to an 8-bit BMP through ReduceColors)
// and palette (the optimised palette shared by several pictures).
#include "colour/color_quantizer.h"
#include "colour/reduce_colors.h"
#include "framework/graphics/bitmap.h"
#include "tools/quillmere-gif/command_registry.h"
#include "tools/quillmere-gif/command_util.h"
#include "tools/quillmere-gif/file_runs.h"

#include <climits>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <vector>

namespace qm::tool {

namespace {

// A choice named by the word a user types and by the enumerator's own name.
template <class E> TChoiceValue Named(E value, const char* word, const char* enumerator) {
    return {static_cast<int>(value), {QLatin1String(word), QLatin1String(enumerator)}};
}

int RunReduce(const TCommandArguments& arguments) {
    const auto reduction = static_cast<TColorReduction>(arguments.Choice(QStringLiteral("reduction")));
    const auto dither = static_cast<TDitherMode>(arguments.Choice(QStringLiteral("dither")));
    const int bits = static_cast<int>(arguments.Number(QStringLiteral("bits")));
    return RunFiles(
        arguments, [](const QFileInfo& input) { return input.completeBaseName() + QStringLiteral(".bmp"); },
        [=](const QString& input, const QString& output, TFileOutput&) {
            TBitmap source;
            source.LoadFromFile(input);
            const std::unique_ptr<TBitmap> result =
                ReduceColors(source, reduction, dither, bits, std::nullopt);
            if (result->Empty())
                throw std::runtime_error("the reduction gave no image (no palette to reduce to)");
            result->SaveToFile(output);
        });
}

int RunPalette(const TCommandArguments& arguments) {
    if (arguments.Operands().isEmpty())
        return arguments.Refuse(QStringLiteral("palette wants at least one picture"));
    return Guarded([&] {
        std::vector<TBitmap> bitmaps(static_cast<std::size_t>(arguments.Operands().size()));
        std::vector<TBitmap*> list;
        for (std::size_t i = 0; i < bitmaps.size(); ++i) {
            bitmaps[i].LoadFromFile(arguments.Operands()[static_cast<qsizetype>(i)]);
            list.push_back(&bitmaps[i]);
        }
        const TPalette palette = CreateOptimizedPaletteFromManyBitmaps(
            list, static_cast<int>(arguments.Number(QStringLiteral("colors"))), 8,
            arguments.IsSet(QStringLiteral("system-colors")));
        for (const TPaletteEntry& e : palette.Entries())
            std::printf("%d %d %d\n", e.peRed, e.peGreen, e.peBlue);
        return kExitOk;
    });
}

const RegisterCommand reduceCommand(
    QStringLiteral("reduce"), FileOperands(QStringLiteral("IN"), QStringLiteral("OUT.bmp")),
    QStringLiteral("reduce a picture to an 8-bit BMP (with -o, each named after its input)"),
    WithFileOptions({
        ChoiceOption(
            QStringLiteral("reduction"), QStringLiteral("NAME"),
            QStringLiteral(
                "the palette to reduce to (the enumerator names, rmNetscape and so on, are accepted too)"),
            QStringLiteral("netscape"),
            {Named(TColorReduction::rmNone, "none", "rmNone"),
             Named(TColorReduction::rmWindows20, "windows20", "rmWindows20"),
             Named(TColorReduction::rmWindows256, "windows256", "rmWindows256"),
             Named(TColorReduction::rmWindowsGray, "windows-gray", "rmWindowsGray"),
             Named(TColorReduction::rmMonochrome, "monochrome", "rmMonochrome"),
             Named(TColorReduction::rmGrayScale, "grayscale", "rmGrayScale"),
             Named(TColorReduction::rmNetscape, "netscape", "rmNetscape"),
             Named(TColorReduction::rmQuantize, "quantize", "rmQuantize"),
             Named(TColorReduction::rmQuantizeWindows, "quantize-windows", "rmQuantizeWindows"),
             Named(TColorReduction::rmPalette, "palette", "rmPalette")}),
        ChoiceOption(
            QStringLiteral("dither"), QStringLiteral("NAME"),
            QStringLiteral("how colours between the palette's are spread (dmFloydSteinberg and so on are "
                           "accepted too)"),
            QStringLiteral("nearest"),
            {Named(TDitherMode::dmNearest, "nearest", "dmNearest"),
             Named(TDitherMode::dmFloydSteinberg, "floyd-steinberg", "dmFloydSteinberg"),
             Named(TDitherMode::dmStucki, "stucki", "dmStucki"),
             Named(TDitherMode::dmSierra, "sierra", "dmSierra"),
             Named(TDitherMode::dmJaJuNI, "jarvis-judice-ninke", "dmJaJuNI"),
             Named(TDitherMode::dmSteveArche, "stevenson-arce", "dmSteveArche"),
             Named(TDitherMode::dmBurkes, "burkes", "dmBurkes")}),
        NumberOption(QStringLiteral("bits"), QStringLiteral("N"),
                     QStringLiteral("bits per pixel of the quantized palette (quantize: 2^N colours)"),
                     QStringLiteral("8"), 1, 8),
    }),
    RunReduce);

const RegisterCommand paletteCommand(
    QStringLiteral("palette"), QStringLiteral("IN..."),
    QStringLiteral("print the optimised palette of pictures"),
    {NumberOption(QStringLiteral("colors"), QStringLiteral("N"), QStringLiteral("the colours of the palette"),
                  QStringLiteral("256"), INT_MIN, INT_MAX),
     FlagOption(QStringLiteral("system-colors"),
                QStringLiteral("keep the 20 Windows system colours in the palette"))},
    RunPalette);

} // namespace
} // namespace qm::tool
