#include "tests/support/gif_peers.h"

#include <algorithm>
#include <cstring>
#include <gif_lib.h>
#include <memory>
#include <stb/stb_image.h>
#include <stdexcept>

namespace qm::test {

namespace {

struct TMemoryReader {
    std::span<const std::uint8_t> data;
    std::size_t offset = 0;
};

int ReadFromMemory(GifFileType* file, GifByteType* buffer, int count) {
    auto* reader = static_cast<TMemoryReader*>(file->UserData);
    const auto n = std::min(static_cast<std::size_t>(count), reader->data.size() - reader->offset);
    std::memcpy(buffer, reader->data.data() + reader->offset, n);
    reader->offset += n;
    return static_cast<int>(n);
}

int WriteToMemory(GifFileType* file, const GifByteType* data, int count) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(file->UserData);
    out->insert(out->end(), data, data + count);
    return count;
}

void PutWord(std::vector<std::uint8_t>& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

std::size_t ColorTableBytes(std::uint8_t packed) {
    return (packed & 0x80) != 0 ? 3 * (std::size_t{2} << (packed & 7)) : 0;
}

// The order in which an interlaced frame's rows are stored: every eighth row from 0, every eighth
// from 4, every fourth from 2, every second from 1. Written out here, apart from the codec's own
// interlace code, so that the cross-check does not trust the code it checks.
std::vector<int> StoredRowOrder(int height, bool interlaced) {
    std::vector<int> rows;
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
        for (int y = start; y < height; y += step)
            rows.push_back(y);
    return rows;
}

} // namespace

std::vector<std::uint8_t> MakeGifFile(int width, int height, bool interlaced, int bitsPerPixel,
                                      std::span<const std::uint8_t> imageData) {
    std::vector<std::uint8_t> out = {'G', 'I', 'F', '8', '9', 'a'};
    PutWord(out, width);
    PutWord(out, height);
    out.push_back(static_cast<std::uint8_t>(0x80 | ((bitsPerPixel - 1) << 4) | (bitsPerPixel - 1)));
    out.push_back(0); // background
    out.push_back(0); // aspect ratio
    for (const TPeerColor& grey : GreyRamp(bitsPerPixel))
        out.insert(out.end(), grey.begin(), grey.end());
    out.push_back(0x2C);
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, width);
    PutWord(out, height);
    out.push_back(interlaced ? 0x40 : 0x00);
    out.insert(out.end(), imageData.begin(), imageData.end());
    out.push_back(0x3B);
    return out;
}

std::span<const std::uint8_t> FirstImageData(std::span<const std::uint8_t> file) {
    std::size_t pos = 13 + ColorTableBytes(file[10]);
    if (file[pos] != 0x2C)
        throw std::runtime_error("no image descriptor where expected");
    pos += 10 + ColorTableBytes(file[pos + 9]);
    std::size_t end = pos + 1;
    while (file[end] != 0)
        end += 1 + file[end];
    return file.subspan(pos, end + 1 - pos);
}

namespace {

using TGifGuard = std::unique_ptr<GifFileType, void (*)(GifFileType*)>;

// The whole file as giflib slurps it; null when giflib reports an error or finds no frame.
TGifGuard Slurp(TMemoryReader& reader) {
    int error = 0;
    TGifGuard gif(DGifOpen(&reader, ReadFromMemory, &error), [](GifFileType* g) {
        int closeError = 0;
        DGifCloseFile(g, &closeError);
    });
    if (gif == nullptr || DGifSlurp(gif.get()) != GIF_OK || gif->ImageCount < 1)
        return TGifGuard(nullptr, [](GifFileType*) {});
    return gif;
}

} // namespace

std::optional<TPeerFrame> GiflibDecode(std::span<const std::uint8_t> file) {
    TMemoryReader reader{file};
    const TGifGuard gif = Slurp(reader);
    if (gif == nullptr)
        return std::nullopt;
    const SavedImage& image = gif->SavedImages[0];
    TPeerFrame frame{image.ImageDesc.Width, image.ImageDesc.Height, {}};
    frame.pixels.assign(image.RasterBits, image.RasterBits + static_cast<std::size_t>(frame.width) *
                                                                 static_cast<std::size_t>(frame.height));
    return frame;
}

std::optional<TPeerSummary> GiflibSummary(std::span<const std::uint8_t> file) {
    TMemoryReader reader{file};
    const TGifGuard gif = Slurp(reader);
    if (gif == nullptr)
        return std::nullopt;
    const SavedImage& image = gif->SavedImages[0];
    TPeerSummary summary{gif->SWidth,
                         gif->SHeight,
                         gif->SColorMap ? gif->SColorMap->ColorCount : 0,
                         gif->SBackGroundColor,
                         gif->ImageCount,
                         image.ImageDesc.Interlace,
                         0,
                         -1};
    for (int i = 0; i < image.ExtensionBlockCount; ++i) {
        GraphicsControlBlock control{};
        if (image.ExtensionBlocks[i].Function != GRAPHICS_EXT_FUNC_CODE ||
            DGifExtensionToGCB(image.ExtensionBlocks[i].ByteCount, image.ExtensionBlocks[i].Bytes,
                               &control) != GIF_OK)
            continue;
        ++summary.graphicControls;
        summary.transparentIndex = control.TransparentColor;
    }
    return summary;
}

std::vector<std::uint8_t> GiflibEncode(std::span<const std::uint8_t> pixels, int width, int height,
                                       bool interlaced, std::span<const TPeerColor> palette) {
    std::vector<std::uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToMemory, &error);
    if (gif == nullptr)
        throw std::runtime_error("EGifOpen failed");
    int bits = 1;
    while ((std::size_t{1} << bits) < palette.size())
        ++bits;
    std::vector<GifColorType> colors(std::size_t{1} << bits);
    for (std::size_t i = 0; i < palette.size(); ++i)
        colors[i] = {palette[i][0], palette[i][1], palette[i][2]};
    ColorMapObject* map = GifMakeMapObject(static_cast<int>(colors.size()), colors.data());
    bool ok = EGifPutScreenDesc(gif, width, height, bits, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, width, height, interlaced, nullptr) == GIF_OK;
    std::vector<GifPixelType> row(static_cast<std::size_t>(width));
    for (const int y : StoredRowOrder(height, interlaced)) {
        const auto* src = pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        std::copy(src, src + width, row.begin());
        ok = ok && EGifPutLine(gif, row.data(), width) == GIF_OK;
    }
    GifFreeMapObject(map);
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    if (!ok)
        throw std::runtime_error("giflib could not encode the frame");
    return out;
}

std::vector<std::uint8_t> GiflibEncode(std::span<const std::uint8_t> pixels, int width, int height,
                                       bool interlaced, int bitsPerPixel) {
    return GiflibEncode(pixels, width, height, interlaced, GreyRamp(bitsPerPixel));
}

std::vector<TPeerColor> GreyRamp(int bitsPerPixel) {
    std::vector<TPeerColor> ramp(std::size_t{1} << bitsPerPixel);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        const auto grey = static_cast<std::uint8_t>(i * 255 / std::max<std::size_t>(1, ramp.size() - 1));
        ramp[i] = {grey, grey, grey};
    }
    return ramp;
}

std::vector<std::uint8_t> StbDecodeRGB(std::span<const std::uint8_t> file) {
    int width = 0;
    int height = 0;
    int components = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> rgba(
        stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &width, &height, &components, 4),
        stbi_image_free);
    std::vector<std::uint8_t> rgb;
    if (!rgba)
        return rgb;
    rgb.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * static_cast<std::size_t>(height); ++i)
        rgb.insert(rgb.end(), rgba.get() + i * 4, rgba.get() + i * 4 + 3);
    return rgb;
}

} // namespace qm::test
