// LZW encoding throughput and size: our encoder against giflib's (EGifPutLine into memory) on the
// same frames; our output is checked to decode back to the frame.

#include "bench/gif/gif_workloads.h"
#include "gif/codec/lzw_decoder.h"
#include "gif/codec/lzw_encoder.h"
#include "tests/support/gif_peers.h"

#include <benchmark/benchmark.h>
#include <memory>

namespace qm::bench {
namespace {

std::vector<std::uint8_t> EncodeOurs(TLZWEncoder& encoder, const std::vector<std::uint8_t>& pixels,
                                     const TWorkload& w) {
    std::vector<std::uint8_t> out;
    out.reserve(pixels.size() / 2);
    encoder.Encode({pixels, w.width, w.height, w.interlaced, 8, 256},
                   [&](const std::uint8_t* d, std::size_t n) { out.insert(out.end(), d, d + n); });
    return out;
}

bool DecodesBack(const std::vector<std::uint8_t>& data, const std::vector<std::uint8_t>& pixels,
                 const TWorkload& w) {
    std::vector<std::uint8_t> out(pixels.size());
    TGIFMemorySource source(data);
    auto decoder = std::make_unique<TLZWDecoder>();
    decoder->Decode({out, w.width, w.height, w.interlaced, 0}, std::ref(source), [](TLZWWarning) {});
    const auto giflib = test::GiflibDecode(test::MakeGifFile(w.width, w.height, w.interlaced, 8, data));
    return out == pixels && giflib && giflib->pixels == pixels;
}

void BM_Encode(benchmark::State& state, TWorkload w) {
    const auto pixels = MakeFrame(w);
    auto encoder = std::make_unique<TLZWEncoder>();
    const auto ours = EncodeOurs(*encoder, pixels, w);
    const auto theirsFile = test::GiflibEncode(pixels, w.width, w.height, w.interlaced, 8);
    if (!DecodesBack(ours, pixels, w)) {
        state.SkipWithError("our encoding does not decode back to the frame");
        return;
    }
    std::vector<double> oursTimes, theirTimes;
    for (auto _ : state) {
        const double t = CpuSeconds([&] { benchmark::DoNotOptimize(EncodeOurs(*encoder, pixels, w)); });
        state.SetIterationTime(t);
        oursTimes.push_back(t);
        theirTimes.push_back(CpuSeconds([&] {
            benchmark::DoNotOptimize(test::GiflibEncode(pixels, w.width, w.height, w.interlaced, 8));
        }));
    }
    const double mpx = static_cast<double>(pixels.size()) / 1e6;
    const double oursMpx = mpx / Median(oursTimes);
    const double giflibMpx = mpx / Median(theirTimes);
    state.counters["ours_Mpx_s"] = oursMpx;
    state.counters["giflib_Mpx_s"] = giflibMpx;
    state.counters["ours_vs_giflib"] = oursMpx / giflibMpx;
    state.counters["size_vs_giflib"] =
        static_cast<double>(ours.size()) / static_cast<double>(test::FirstImageData(theirsFile).size());
}

[[maybe_unused]] const bool kRegistered = (RegisterWorkloads("EncodeLZW", BM_Encode, false), true);

} // namespace
} // namespace qm::bench

BENCHMARK_MAIN();
