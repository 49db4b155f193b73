#include "colour/reduce_colors.h"

#include "colour/color_errors.h"
#include "colour/color_lookup.h"
#include "colour/color_quantizer.h"
#include "colour/dib.h"
#include "colour/dither.h"
#include "colour/fixed_palettes.h"
#include "framework/graphics/stock_palettes.h"

namespace qm {

namespace {

constexpr long long kLargeBitmapPixels = 500000;
constexpr int kPaletteSize = 256;
constexpr int kOctreeColorBits = 8;

struct TReductionPalette {
    TPalette palette;
    std::unique_ptr<TColorLookup> lookup;
};

TReductionPalette WithFastLookup(TPalette palette) {
    auto lookup = std::make_unique<TFastColorLookup>(palette);
    return {std::move(palette), std::move(lookup)};
}

int QuantizeColors(int reductionBits) {
    if (reductionBits < 1 || reductionBits > 8)
        throw EInvalidGraphicOperation(sInvalidBitSize);
    return 1 << reductionBits;
}

// The palette and lookup of a reduction; none for a value outside the enumeration.
std::optional<TReductionPalette> ChoosePalette(TColorReduction reduction, TBitmap& source, int reductionBits,
                                               const std::optional<TPalette>& customPalette) {
    switch (reduction) {
    case TColorReduction::rmWindows20:
        return WithFastLookup(StockDefaultPalette());
    case TColorReduction::rmWindows256:
        return WithFastLookup(ScreenHalftonePalette());
    case TColorReduction::rmWindowsGray:
        return WithFastLookup(WindowsGrayPalette());
    case TColorReduction::rmMonochrome:
        return TReductionPalette{MonochromePalette(), std::make_unique<TMonochromeLookup>()};
    case TColorReduction::rmGrayScale:
        return TReductionPalette{GrayLevelsPalette(), std::make_unique<TGrayScaleLookup>()};
    case TColorReduction::rmNetscape:
        return TReductionPalette{WebPalette(), std::make_unique<TNetscapeColorLookup>()};
    case TColorReduction::rmQuantize:
        return WithFastLookup(CreateOptimizedPaletteFromOneBitmap(source, QuantizeColors(reductionBits),
                                                                  kOctreeColorBits, false));
    case TColorReduction::rmQuantizeWindows:
        return WithFastLookup(
            CreateOptimizedPaletteFromOneBitmap(source, kPaletteSize, kOctreeColorBits, true));
    case TColorReduction::rmPalette:
        return WithFastLookup(customPalette.value_or(TPalette()));
    case TColorReduction::rmNone:
        break;
    }
    return std::nullopt;
}

void MapRows(TDIBReader& reader, TDitherEngine& ditherer, TDIBWriter& writer, int width, int height) {
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* source = reader.RowPointer(row);
        std::uint8_t* target = writer.RowPointer(row);
        for (int column = ditherer.Column(); column >= 0 && column < width; column = ditherer.Column()) {
            const std::uint8_t* pixel = source + static_cast<std::ptrdiff_t>(column) * 3;
            target[column] = ditherer.DitherPixel(pixel[2], pixel[1], pixel[0]).index;
        }
        ditherer.EndRow();
    }
}

} // namespace

std::unique_ptr<TBitmap> ReduceColors(TBitmap& bitmap, TColorReduction reduction, TDitherMode ditherMode,
                                      int reductionBits, const std::optional<TPalette>& customPalette) {
    auto result = std::make_unique<TBitmap>();
    if (reduction == TColorReduction::rmNone) {
        *result = bitmap;
        result->SetPixelFormat(TPixelFormat::pf24bit);
        return result;
    }
    const int width = bitmap.Width();
    const int height = bitmap.Height();
    if (static_cast<long long>(width) * height > kLargeBitmapPixels)
        result->SetPixelFormat(TPixelFormat::pf1bit);

    TDIBReader reader(bitmap, TPixelFormat::pf24bit);
    std::optional<TReductionPalette> chosen = ChoosePalette(reduction, bitmap, reductionBits, customPalette);
    if (!chosen || chosen->lookup->ColorCount() == 0)
        return result;
    const std::unique_ptr<TDitherEngine> ditherer = CreateDitherer(ditherMode, width, *chosen->lookup);
    if (!ditherer)
        return result;
    {
        // The writer hands the finished image to the result when it goes out of scope.
        TDIBWriter writer(*result, chosen->palette, width, height, TPixelFormat::pf8bit);
        MapRows(reader, *ditherer, writer, width, height);
    }
    return result;
}

} // namespace qm
