#include "gif/codec/lzw_encoder.h"

#include <cstring>

namespace qm {

namespace {

constexpr std::uint32_t kEmptySlot = 0xFFFFF000u; // slots at or above this value are free
constexpr int kLastCode = 4094;                   // a code above this one is never assigned
constexpr int kMaxCodeBits = 12;
constexpr int kSlots = TLZWEncoder::kHashSize;
constexpr std::size_t kCodes = 4096;

// One frame's compression: the classic hashed string table, cleared whenever it fills.
class TLZWCompressor {
public:
    TLZWCompressor(std::uint32_t* table, std::uint32_t* child, TGIFCodeStream& codes, int colorCount)
        : table_(table), child_(child), codes_(codes), colorCount_(colorCount) {}

    TGIFEncodeStatus Run(const TGIFEncodeSource& source) {
        Clear();
        bool first = true;
        bool ok = true;
        ForEachRow(source, [&](const std::uint8_t* row, std::size_t count) {
            if (!ok)
                return;
            std::size_t i = 0;
            if (first) {
                first = false;
                if (row[0] >= colorCount_) {
                    ok = false;
                    return;
                }
                prefix_ = row[0];
                i = 1;
            }
            ok = Compress(row + i, count - i);
        });
        if (!ok)
            return TGIFEncodeStatus::esColorNotInTable;
        Output(prefix_);
        return TGIFEncodeStatus::esOK;
    }

private:
    bool Compress(const std::uint8_t* pixels, std::size_t count) {
        std::uint32_t* const table = table_;
        std::uint32_t* const child = child_;
        const int colorCount = colorCount_;
        int prefix = prefix_;
        for (std::size_t i = 0; i < count; ++i) {
            const int c = pixels[i];
            if (c >= colorCount) [[unlikely]] {
                prefix_ = prefix;
                return false;
            }
            // The string last made from this prefix usually goes on with the same pixel again.
            const std::uint32_t last = child[prefix];
            if ((last >> 12) == static_cast<std::uint32_t>(c + 1)) {
                prefix = static_cast<int>(last & 0xFFF);
                continue;
            }
            const std::uint32_t key =
                (static_cast<std::uint32_t>(prefix) << 8) | static_cast<std::uint32_t>(c);
            int slot = Hash(key);
            const int step = slot == 0 ? 1 : kSlots - slot;
            std::uint32_t entry;
            while ((entry = table[slot]) < kEmptySlot) {
                if ((entry >> 12) == key)
                    break;
                slot -= step;
                if (slot < 0)
                    slot += kSlots;
            }
            if (entry < kEmptySlot) {
                child[prefix] = Child(c, entry & 0xFFF);
                prefix = static_cast<int>(entry & 0xFFF);
                continue;
            }
            Output(prefix);
            if (nextCode_ > kLastCode) {
                Clear();
            } else {
                table[slot] = (key << 12) | static_cast<std::uint32_t>(nextCode_);
                child[prefix] = Child(c, static_cast<std::uint32_t>(nextCode_));
                ++nextCode_;
            }
            prefix = c;
        }
        prefix_ = prefix;
        return true;
    }

    static std::uint32_t Child(int pixel, std::uint32_t code) {
        return (static_cast<std::uint32_t>(pixel + 1) << 12) | code;
    }

    int Hash(std::uint32_t key) const {
        return static_cast<int>((key ^ (key >> 4)) % static_cast<std::uint32_t>(kSlots));
    }

    void Clear() {
        codes_.clearFlag = true;
        Output(codes_.clearCode);
        std::memset(table_, 0xFF, static_cast<std::size_t>(kSlots) * sizeof(std::uint32_t));
        std::memset(child_, 0, kCodes * sizeof(std::uint32_t));
        nextCode_ = codes_.clearCode + 2;
    }

    // After each code the width grows once the next code would not fit, or returns to its initial
    // value after a clear code.
    void Output(int code) {
        codes_.Output(code);
        if (nextCode_ > codes_.maxCode || codes_.clearFlag) {
            if (codes_.clearFlag) {
                codes_.codeBits = codes_.initialBits;
                codes_.clearFlag = false;
            } else {
                ++codes_.codeBits;
            }
            codes_.maxCode = codes_.codeBits == kMaxCodeBits ? 4096 : (1 << codes_.codeBits) - 1;
        }
    }

    std::uint32_t* table_;
    std::uint32_t* child_;
    TGIFCodeStream& codes_;
    const int colorCount_;
    int prefix_ = 0;
    int nextCode_ = 0;
};

} // namespace

TGIFEncodeStatus TLZWEncoder::Encode(const TGIFEncodeSource& source, const TGIFByteSink& sink) {
    return EncodeFrame(source, sink, [&](TGIFCodeStream& codes) {
        TLZWCompressor compressor(hash_.data(), child_.data(), codes, source.colorCount);
        return compressor.Run(source);
    });
}

} // namespace qm
