// Decoding throughput: our LZW decoder (alone and through TGIFImage::LoadFromStream) against
// giflib's DGifSlurp and stb_image on the same giflib-made files, with the indices checked equal.

#include "bench/gif/gif_workloads.h"
#include "gif/codec/lzw_decoder.h"
#include "gif/gif_image.h"
#include "tests/support/gif_peers.h"

#include <QBuffer>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <functional>
#include <memory>
#include <stb/stb_image.h>

namespace qm::bench {
namespace {

// Everything one workload needs: the pixels, giflib's file of them and that file's image data.
struct TDecodeCase {
    std::vector<std::uint8_t> pixels;
    std::vector<std::uint8_t> file;
    std::span<const std::uint8_t> imageData;
};

TDecodeCase MakeCase(const TWorkload& w) {
    TDecodeCase c;
    c.pixels = MakeFrame(w);
    c.file = test::GiflibEncode(c.pixels, w.width, w.height, w.interlaced, 8);
    c.imageData = test::FirstImageData(c.file);
    return c;
}

std::vector<std::uint8_t> DecodeOurs(TLZWDecoder& decoder, const TDecodeCase& c, const TWorkload& w) {
    std::vector<std::uint8_t> out(c.pixels.size());
    TGIFMemorySource source(c.imageData);
    decoder.Decode({out, w.width, w.height, w.interlaced, 0}, std::ref(source), [](TLZWWarning) {});
    return out;
}

std::vector<std::uint8_t> LoadOurs(const TDecodeCase& c) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(c.file.data()),
                                               static_cast<qsizetype>(c.file.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    TGIFImage image;
    image.LoadFromStream(buffer);
    return image.Images().Items(0)->Data();
}

// stb_image gives RGBA; the files' 256-entry grey ramp maps each index to its own grey.
std::vector<std::uint8_t> DecodeStb(const TDecodeCase& c, int* ok) {
    int x = 0, y = 0, n = 0;
    stbi_uc* rgba = stbi_load_from_memory(c.file.data(), static_cast<int>(c.file.size()), &x, &y, &n, 4);
    *ok = rgba != nullptr;
    std::vector<std::uint8_t> out;
    if (rgba != nullptr) {
        out.resize(static_cast<std::size_t>(x) * static_cast<std::size_t>(y));
        for (std::size_t i = 0; i < out.size(); ++i)
            out[i] = rgba[4 * i];
        stbi_image_free(rgba);
    }
    return out;
}

void BM_Decode(benchmark::State& state, TWorkload w) {
    const TDecodeCase c = MakeCase(w);
    auto decoder = std::make_unique<TLZWDecoder>();
    int stbOk = 0;
    const auto stbPixels = DecodeStb(c, &stbOk);
    const auto giflib = test::GiflibDecode(c.file);
    if (!giflib || giflib->pixels != c.pixels || DecodeOurs(*decoder, c, w) != c.pixels ||
        LoadOurs(c) != c.pixels || !stbOk || stbPixels != c.pixels) {
        state.SkipWithError("decoders disagree on the indices");
        return;
    }
    // Small frames decode in microseconds, about what reading the CPU clock costs: each sample
    // times a batch of about a million pixels (the time shown is a batch's), so that the clock
    // does not even the sides out.
    const std::size_t batch = std::max<std::size_t>(1, 1'000'000 / c.pixels.size());
    const auto timeBatch = [batch](const std::function<void()>& decode) {
        return CpuSeconds([&] {
            for (std::size_t i = 0; i < batch; ++i)
                decode();
        });
    };
    std::vector<double> ours, load, theirs, stb;
    for (auto _ : state) {
        const double t = timeBatch([&] { benchmark::DoNotOptimize(DecodeOurs(*decoder, c, w)); });
        state.SetIterationTime(t);
        ours.push_back(t);
        load.push_back(timeBatch([&] { benchmark::DoNotOptimize(LoadOurs(c)); }));
        theirs.push_back(timeBatch([&] { benchmark::DoNotOptimize(test::GiflibDecode(c.file)); }));
        stb.push_back(timeBatch([&] { benchmark::DoNotOptimize(DecodeStb(c, &stbOk)); }));
    }
    state.counters["batch"] = static_cast<double>(batch);
    const double mpx = static_cast<double>(c.pixels.size() * batch) / 1e6;
    const double oursMpx = mpx / Median(ours);
    const double loadMpx = mpx / Median(load);
    const double giflibMpx = mpx / Median(theirs);
    const double stbMpx = mpx / Median(stb);
    state.counters["ours_Mpx_s"] = oursMpx;
    state.counters["load_Mpx_s"] = loadMpx;
    state.counters["giflib_Mpx_s"] = giflibMpx;
    state.counters["stb_Mpx_s"] = stbMpx;
    state.counters["ours_vs_giflib"] = oursMpx / giflibMpx;
    state.counters["load_vs_giflib"] = loadMpx / giflibMpx;
    state.counters["ours_vs_stb"] = oursMpx / stbMpx;
    state.counters["load_vs_stb"] = loadMpx / stbMpx;
}

[[maybe_unused]] const bool kRegistered = (RegisterWorkloads("Decode", BM_Decode, true), true);

} // namespace
} // namespace qm::bench

BENCHMARK_MAIN();
