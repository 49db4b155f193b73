#include "gif/codec/rle_encoder.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// Codes needed to send `count` pixels of one colour by strings of growing length 1, 2, 3, ...,
// when at most `limit` strings fit before the table must be cleared.
int TriangleCount(int count, int limit) {
    int cost = 0;
    const long long full = static_cast<long long>(limit) * (limit + 1) / 2;
    while (count >= full) {
        cost += limit;
        count -= static_cast<int>(full);
    }
    if (count > 0) {
        // The smallest k with k(k+1) >= 2 * count.
        const long long twice = 2LL * count;
        auto k = static_cast<long long>(std::sqrt(static_cast<double>(twice)));
        while (k > 0 && (k - 1) * k >= twice)
            --k;
        while (k * (k + 1) < twice)
            ++k;
        cost += static_cast<int>(k);
    }
    return cost;
}

// One frame's run-length compression. After a clear code a run of n equal pixels is sent as
// the pixel, then codes for strings of 2, 3, ... pixels, each the one a decoder has just built;
// a repeated run reuses the longest such string while it is still in the decoder's table.
class TRLECompressor {
public:
    TRLECompressor(TGIFCodeStream& codes, int minCodeSize, int colorCount)
        : codes_(codes), colorCount_(colorCount), outBumpInit_(codes.clearCode - 1),
          outClearInit_(minCodeSize <= 3 ? 9 : codes.clearCode - 2), maxCodes_(4095 - codes.baseCode) {}

    TGIFEncodeStatus Run(const TGIFEncodeSource& source) {
        Clear();
        bool ok = true;
        ForEachRow(source, [&](const std::uint8_t* row, std::size_t count) {
            for (std::size_t i = 0; ok && i < count; ++i) {
                const int c = row[i];
                if (c >= colorCount_) {
                    ok = false;
                } else if (runCount_ > 0 && c != pixel_) {
                    FlushRun();
                    pixel_ = c;
                    runCount_ = 1;
                } else {
                    pixel_ = c;
                    ++runCount_;
                }
            }
        });
        if (!ok)
            return TGIFEncodeStatus::esColorNotInTable;
        if (runCount_ > 0)
            FlushRun();
        return TGIFEncodeStatus::esOK;
    }

private:
    void OutputPlain(int code) {
        codes_.clearFlag = false;
        codes_.Output(code);
        ++outCount_;
        if (outCount_ >= outBump_) {
            ++codes_.codeBits;
            outBump_ += 1 << (codes_.codeBits - 1);
        }
        if (outCount_ >= outClear_)
            Clear();
    }

    void Clear() {
        outBump_ = outBumpInit_;
        outClear_ = outClearInit_;
        outCount_ = 0;
        tableMax_ = 0;
        codes_.clearFlag = true;
        codes_.Output(codes_.clearCode);
        codes_.codeBits = codes_.initialBits;
    }

    void ResetOutClear() {
        outClear_ = outClearInit_;
        if (outCount_ >= outClear_)
            Clear();
    }

    void FlushRun() {
        const int count = runCount_;
        runCount_ = 0;
        if (count == 1)
            OutputPlain(pixel_);
        else if (codes_.clearFlag)
            FlushFromClear(count);
        else if (tableMax_ > 1 && tablePixel_ == pixel_)
            FlushWithTable(count);
        else
            FlushClearOrRepeat(count);
    }

    void FlushFromClear(int count) {
        outClear_ = maxCodes_;
        tablePixel_ = pixel_;
        int n = 1;
        while (count > 0) {
            if (n == 1) {
                tableMax_ = 1;
                OutputPlain(pixel_);
                --count;
            } else if (count >= n) {
                tableMax_ = n;
                OutputPlain(codes_.baseCode + n - 2);
                count -= n;
            } else if (count == 1) {
                ++tableMax_;
                OutputPlain(pixel_);
                count = 0;
            } else {
                ++tableMax_;
                OutputPlain(codes_.baseCode + count - 2);
                count = 0;
            }
            n = outCount_ == 0 ? 1 : n + 1;
        }
        ResetOutClear();
    }

    void FlushClearOrRepeat(int count) {
        if (1 + TriangleCount(count, maxCodes_) < count) {
            Clear();
            FlushFromClear(count);
            return;
        }
        for (; count > 0; --count)
            OutputPlain(pixel_);
    }

    void FlushWithTable(int count) {
        int reps = count / tableMax_;
        int left = count % tableMax_;
        int repLeft = left > 0 ? 1 : 0;
        if (outCount_ + reps + repLeft > maxCodes_) {
            reps = maxCodes_ - outCount_;
            left = count - reps * tableMax_;
            repLeft = 1 + TriangleCount(left, maxCodes_);
        }
        if (1 + TriangleCount(count, maxCodes_) < reps + repLeft) {
            Clear();
            FlushFromClear(count);
            return;
        }
        outClear_ = maxCodes_;
        for (; reps > 0; --reps)
            OutputPlain(codes_.baseCode + tableMax_ - 2);
        if (left > 0) {
            if (codes_.clearFlag)
                FlushFromClear(left);
            else if (left == 1)
                OutputPlain(pixel_);
            else
                OutputPlain(codes_.baseCode + left - 2);
        }
        ResetOutClear();
    }

    TGIFCodeStream& codes_;
    const int colorCount_;
    const int outBumpInit_;
    const int outClearInit_;
    const int maxCodes_;
    int pixel_ = 0;
    int runCount_ = 0;
    int outCount_ = 0;
    int outBump_ = 0;
    int outClear_ = 0;
    int tableMax_ = 0;
    int tablePixel_ = 0;
};

} // namespace

TGIFEncodeStatus TRLEEncoder::Encode(const TGIFEncodeSource& source, const TGIFByteSink& sink) {
    return EncodeFrame(source, sink, [&](TGIFCodeStream& codes) {
        TRLECompressor compressor(codes, std::max(2, source.bitsPerPixel), source.colorCount);
        return compressor.Run(source);
    });
}

} // namespace qm
