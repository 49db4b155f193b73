#include "gif/codec/lzw_decoder.h"

#include "gif/codec/interlace.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qm {

std::size_t TGIFMemorySource::operator()(std::uint8_t* buffer, std::size_t count) {
    const std::size_t n = std::min(count, data_.size() - offset_);
    if (n > 0)
        std::memcpy(buffer, data_.data() + offset_, n);
    offset_ += n;
    return n;
}

namespace {

constexpr int kMaxCode = 4096;
constexpr int kMaxMinCodeSize = 11;
constexpr int kEndOfData = -1;

// Reads LSB-first codes from the data sub-blocks, one sub-block at a time. The last two bytes of a
// sub-block are carried to the front of the buffer so that a code may straddle sub-blocks.
class TLZWBitReader {
public:
    TLZWBitReader(const TGIFByteSource& source, const TLZWWarningHandler& warning)
        : source_(source), warning_(warning) {}

    // The next code, or kEndOfData when the data are exhausted. The first call yields the clear
    // code without reading, so that data which do not start with one still get fresh tables.
    int Next(int codeSize, int clearCode) {
        if (fresh_) [[unlikely]] {
            fresh_ = false;
            return clearCode;
        }
        if (bitPos_ + static_cast<std::uint32_t>(codeSize) >= lastBit_) [[unlikely]] {
            if (!Refill(static_cast<std::uint32_t>(codeSize)))
                return kEndOfData;
        }
        const std::uint8_t* p = buffer_.data() + (bitPos_ >> 3);
        const std::uint32_t bits = p[0] | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
        const int code = static_cast<int>((bits >> (bitPos_ & 7)) & ((1u << codeSize) - 1));
        bitPos_ += static_cast<std::uint32_t>(codeSize);
        return code;
    }

    // The window the decoding loop reads whole codes from between refills.
    bool fresh() const { return fresh_; }
    const std::uint8_t* data() const { return buffer_.data(); }
    std::uint32_t position() const { return bitPos_; }
    std::uint32_t limit() const { return lastBit_; }
    void Seek(std::uint32_t bitPos) { bitPos_ = bitPos; }

    // After the end code: skip what is left of the data up to its zero-length terminator.
    void SkipRemainingBlocks() {
        if (zeroLength_)
            return;
        std::uint8_t count = 0;
        while (source_(&count, 1) == 1 && count != 0) {
            if (source_(buffer_.data(), count) < count)
                return;
        }
    }

private:
    bool Refill(std::uint32_t codeSize) {
        if (done_) {
            WarnIfDrained();
            return false;
        }
        // A code may need more than one more sub-block when the sub-blocks are very short.
        do {
            if (!ReadBlock())
                return false;
        } while (bitPos_ + codeSize > lastBit_ && !done_);
        if (bitPos_ + codeSize > lastBit_) {
            WarnIfDrained();
            return false;
        }
        return true;
    }

    bool ReadBlock() {
        buffer_[0] = buffer_[lastByteCount_ - 2];
        buffer_[1] = buffer_[lastByteCount_ - 1];
        std::uint8_t count = 0;
        if (source_(&count, 1) != 1)
            return false;
        if (count == 0)
            zeroLength_ = done_ = true;
        const std::size_t got = count == 0 ? 0 : source_(buffer_.data() + 2, count);
        if (got < count)
            warning_(TLZWWarning::lwPrematureEnd);
        lastByteCount_ = 2 + static_cast<std::uint32_t>(got);
        bitPos_ = bitPos_ + 16 - lastBit_;
        lastBit_ = lastByteCount_ * 8;
        return true;
    }

    void WarnIfDrained() {
        if (bitPos_ >= lastBit_)
            warning_(TLZWWarning::lwBitBufferUnderrun);
    }

    const TGIFByteSource& source_;
    const TLZWWarningHandler& warning_;
    // 2 carried bytes + 255 data bytes, and room for the word read past the last one.
    std::array<std::uint8_t, 2 + 255 + 8> buffer_{};
    std::uint32_t bitPos_ = 0;
    std::uint32_t lastBit_ = 0;
    std::uint32_t lastByteCount_ = 2;
    bool zeroLength_ = false;
    bool done_ = false;
    bool fresh_ = true;
};

} // namespace

// One frame's decoding. While the string table is well formed (every entry's prefix is an older
// entry) a code's string is copied from where it was last written; a code beyond the table
// switches to walking prefix chains until the next clear code, which copes with any table.
class TLZWDecodeRun {
public:
    TLZWDecodeRun(TLZWDecoder& tables, TLZWBitReader& bits, std::uint8_t* out, std::size_t total,
                  int minCodeSize)
        : t_(tables), bits_(bits), out_(out), total_(total), clear_(1 << minCodeSize), end_(clear_ + 1),
          setCodeSize_(minCodeSize + 1) {
        // Entries from the clear code up are zero for the chain walk; they are zeroed only when
        // the walk could read them (see Corrupt), so the table left by earlier frames is unknown.
        // Those below are never written while decoding: a frame with the clear code of the one
        // before finds them made.
        if (t_.madeForClear_ != clear_) {
            for (int i = 0; i < clear_ + 2; ++i) {
                const auto c = static_cast<std::size_t>(i);
                t_.prefix_[c] = 0;
                t_.suffix_[c] = static_cast<std::uint16_t>(i < clear_ ? i : 0);
                t_.string_[c] = {static_cast<std::uint8_t>(i < clear_ ? i : 0), 0, 1};
            }
            t_.madeForClear_ = clear_;
        }
        highWater_ = kMaxCode;
        ResetTable();
    }

    TLZWStatus Run() {
        while (pos_ < total_) {
            int code = Fast();
            if (code == kNoCode)
                code = bits_.Next(codeSize_, clear_);
            if (!Step(code))
                return status_;
        }
        // One code past the last pixel, so that an end code there consumes the terminator.
        if (pending_ == 0)
            Step(bits_.Next(codeSize_, clear_));
        return status_;
    }

    std::size_t written() const { return pos_; }

private:
    static constexpr int kNoCode = -100;
    // Strings are written in whole words, which may reach this far beyond their end.
    static constexpr std::uint32_t kWord = 8;
    // Positions in the string table are 32-bit; larger frames take the general path throughout.
    static constexpr std::size_t kFastPixels = 0xFFFFFFFFu;

    // The common case, with the state in locals so that pixel stores cannot alias it: codes of a
    // well-formed table, whole in the current sub-block, with room for a word past the string. A
    // string's first eight pixels come from the table as one word, single pixels too, so that the
    // kind of code costs no branch and short strings need not be read back from the frame; only
    // longer ones copy the rest from where they were written before. Returns the first code it
    // read but left for Step, or kNoCode when it read none.
    int Fast() {
        if (!sane_ || bits_.fresh() || total_ <= kWord || total_ > kFastPixels)
            return kNoCode;
        // A string written here ends at or before `room`, so its words stay inside the frame.
        const std::size_t room = total_ - kWord;
        // One base register for all the tables.
        TLZWDecoder& t = t_;
        std::uint8_t* const out = out_;
        const std::uint8_t* const window = bits_.data();
        const std::uint32_t lastBit = bits_.limit();
        const unsigned clear = static_cast<unsigned>(clear_);
        std::uint32_t bitPos = bits_.position();
        std::size_t pos = pos_;
        unsigned codeSize = static_cast<unsigned>(codeSize_);
        unsigned threshold = static_cast<unsigned>(threshold_);
        unsigned next = static_cast<unsigned>(next_);
        unsigned old = static_cast<unsigned>(old_);
        std::uint64_t oldHead = oldHead_;
        std::uint32_t oldPos = oldPos_;
        std::uint32_t oldLength = oldLength_;
        int left = kNoCode;
        while (bitPos + codeSize < lastBit) {
            const auto code = static_cast<unsigned>((LoadWord(window + (bitPos >> 3)) >> (bitPos & 7)) &
                                                    ((1u << codeSize) - 1));
            bitPos += codeSize;
            std::uint32_t length;
            std::uint64_t head;
            if (code - clear >= 2 && code < next) [[likely]] {
                const TLZWDecoder::TString& string = t.string_[code];
                length = string.length;
                if (pos + length > room) {
                    left = static_cast<int>(code);
                    break;
                }
                head = string.head;
                StoreWord(out + pos, head);
                if (length > kWord) [[unlikely]]
                    CopyWords(out + pos + kWord, out + string.position + kWord, length - kWord);
            } else if (code == next) {
                // The previous string and its own first pixel.
                length = oldLength + 1;
                if (pos + length > room) {
                    left = static_cast<int>(code);
                    break;
                }
                const auto first = static_cast<std::uint8_t>(oldHead);
                head = Append(oldHead, oldLength, first);
                StoreWord(out + pos, head);
                if (oldLength > kWord)
                    CopyWords(out + pos + kWord, out + oldPos + kWord, oldLength - kWord);
                out[pos + oldLength] = first;
            } else {
                left = static_cast<int>(code);
                break;
            }
            if (next < kMaxCode) {
                const auto first = static_cast<std::uint8_t>(head);
                t.string_[next] = {Append(oldHead, oldLength, first), oldPos, oldLength + 1};
                t.prefix_[next] = static_cast<std::uint16_t>(old);
                t.suffix_[next] = first;
                if (++next >= threshold && threshold < kMaxCode) {
                    threshold *= 2;
                    ++codeSize;
                }
            }
            old = code;
            oldHead = head;
            oldPos = static_cast<std::uint32_t>(pos);
            oldLength = length;
            pos += length;
        }
        bits_.Seek(bitPos);
        if (pos != pos_)
            firstCode_ = static_cast<std::uint8_t>(oldHead);
        pos_ = pos;
        codeSize_ = static_cast<int>(codeSize);
        threshold_ = static_cast<int>(threshold);
        next_ = static_cast<int>(next);
        highWater_ = std::max(highWater_, next_);
        old_ = static_cast<int>(old);
        oldHead_ = oldHead;
        oldPos_ = oldPos;
        oldLength_ = oldLength;
        return left;
    }

    // Words hold pixels in frame order from their lowest byte up.
    static std::uint64_t LoadWord(const std::uint8_t* p) {
        std::uint64_t word;
        std::memcpy(&word, p, sizeof word);
        if constexpr (std::endian::native == std::endian::big)
            word = __builtin_bswap64(word);
        return word;
    }

    static void StoreWord(std::uint8_t* p, std::uint64_t word) {
        if constexpr (std::endian::native == std::endian::big)
            word = __builtin_bswap64(word);
        std::memcpy(p, &word, sizeof word);
    }

    // The first pixels of a string of `length` pixels with `head`, followed by `pixel`.
    static std::uint64_t Append(std::uint64_t head, std::uint32_t length, std::uint8_t pixel) {
        return length < kWord ? head | (std::uint64_t{pixel} << (8 * length)) : head;
    }

    // Copies a string that ends at or before `dst` in whole words: every byte it reads is final
    // before it is read, and the bytes written past the string are overwritten by the next strings.
    static void CopyWords(std::uint8_t* dst, const std::uint8_t* src, std::size_t length) {
        std::size_t i = 0;
        do {
            std::uint64_t word;
            std::memcpy(&word, src + i, sizeof word);
            std::memcpy(dst + i, &word, sizeof word);
            i += sizeof word;
        } while (i < length);
    }

    // Applies one code (read by the caller); false when the data ended (or turned out to be corrupt).
    bool Step(int code) {
        if (code < 0)
            return false;
        if (code == clear_)
            return Restart();
        if (code == end_) {
            bits_.SkipRemainingBlocks();
            return false;
        }
        return Walk(code);
    }

    // After a clear code: the first code that is not a clear code is output as it is.
    bool Restart() {
        ResetTable();
        int code = clear_;
        while (code == clear_)
            code = bits_.Next(codeSize_, clear_);
        if (code < 0)
            return false;
        if (code == end_) {
            // A clear code followed by the end code carries no pixel at all.
            bits_.SkipRemainingBlocks();
            return false;
        }
        if (code > end_)
            Corrupt();
        firstCode_ = old_ = code;
        oldHead_ = static_cast<std::uint8_t>(code);
        oldPos_ = static_cast<std::uint32_t>(pos_);
        oldLength_ = 1;
        Put(static_cast<std::uint8_t>(code));
        return true;
    }

    void ResetTable() {
        codeSize_ = setCodeSize_;
        threshold_ = 2 * clear_;
        next_ = clear_ + 2;
        sane_ = true;
    }

    // A code beyond the table makes prefix chains reach entries not yet made in this table; those
    // read as zero, as after a clear code.
    void Corrupt() {
        if (!sane_)
            return;
        sane_ = false;
        const auto from = static_cast<std::ptrdiff_t>(next_);
        const auto to = std::max(from, static_cast<std::ptrdiff_t>(highWater_));
        std::fill(t_.prefix_.begin() + from, t_.prefix_.begin() + to, 0);
        std::fill(t_.suffix_.begin() + from, t_.suffix_.begin() + to, 0);
        highWater_ = next_;
    }

    // The general path: walks the prefix chain onto a stack, bounded so that no table can loop it.
    // Codes beyond the table end the well-formed state until the next clear code.
    bool Walk(int incoming) {
        if (incoming > next_)
            Corrupt();
        const int previousFirst = firstCode_;
        std::size_t sp = 0;
        int code = incoming;
        if (code >= next_) {
            t_.stack_[sp++] = static_cast<std::uint16_t>(previousFirst);
            code = old_;
        }
        for (int steps = 0; code >= clear_; ++steps) {
            const auto c = static_cast<std::size_t>(code);
            t_.stack_[sp++] = t_.suffix_[c];
            if (t_.prefix_[c] == code || steps == kMaxCode) {
                status_ = TLZWStatus::lsCircularTable;
                return false;
            }
            code = t_.prefix_[c];
        }
        firstCode_ = t_.suffix_[static_cast<std::size_t>(code)];
        t_.stack_[sp++] = static_cast<std::uint16_t>(firstCode_);
        if (next_ < kMaxCode) {
            const auto n = static_cast<std::size_t>(next_);
            t_.prefix_[n] = static_cast<std::uint16_t>(old_);
            t_.suffix_[n] = static_cast<std::uint16_t>(firstCode_);
            t_.string_[n] = {Append(oldHead_, oldLength_, static_cast<std::uint8_t>(firstCode_)), oldPos_,
                             oldLength_ + 1};
            Grow();
        }
        old_ = incoming;
        oldHead_ = 0;
        for (std::size_t i = 0; i < std::min<std::size_t>(sp, kWord); ++i)
            oldHead_ |= std::uint64_t{static_cast<std::uint8_t>(t_.stack_[sp - 1 - i])} << (8 * i);
        oldPos_ = static_cast<std::uint32_t>(pos_);
        oldLength_ = static_cast<std::uint32_t>(sp);
        while (sp > 0 && pos_ < total_)
            out_[pos_++] = static_cast<std::uint8_t>(t_.stack_[--sp]);
        pending_ += sp;
        return true;
    }

    void Grow() {
        ++next_;
        highWater_ = std::max(highWater_, next_);
        if (next_ >= threshold_ && threshold_ < kMaxCode) {
            threshold_ *= 2;
            ++codeSize_;
        }
    }

    void Put(std::uint8_t value) {
        if (pos_ < total_)
            out_[pos_++] = value;
        else
            ++pending_;
    }

    TLZWDecoder& t_;
    TLZWBitReader& bits_;
    std::uint8_t* out_;
    std::size_t total_;
    std::size_t pos_ = 0;
    std::size_t pending_ = 0; // pixels decoded beyond the frame's last one
    const int clear_;
    const int end_;
    const int setCodeSize_;
    int codeSize_ = 0;
    int threshold_ = 0;
    int next_ = 0;
    int highWater_ = 0;
    int firstCode_ = 0;
    int old_ = 0;
    std::uint64_t oldHead_ = 0; // the first pixels of the previous code's string, as a table word
    std::uint32_t oldPos_ = 0;
    std::uint32_t oldLength_ = 0;
    bool sane_ = true;
    TLZWStatus status_ = TLZWStatus::lsOK;
};

TLZWDecodeResult TLZWDecoder::Decode(const TLZWTarget& target, const TGIFByteSource& source,
                                     const TLZWWarningHandler& warning) {
    TLZWDecodeResult result;
    const std::size_t total =
        target.width > 0 && target.height > 0
            ? std::min(target.pixels.size(),
                       static_cast<std::size_t>(target.width) * static_cast<std::size_t>(target.height))
            : 0;
    std::uint8_t minCodeSize = 0;
    if (source(&minCodeSize, 1) == 1) {
        result.minCodeSize = minCodeSize;
        if (minCodeSize > kMaxMinCodeSize) {
            result.status = TLZWStatus::lsCodeSizeTooLarge;
        } else {
            TLZWBitReader bits(source, warning);
            TLZWDecodeRun run(*this, bits, target.pixels.data(), total, minCodeSize);
            result.status = run.Run();
            result.pixels = run.written();
        }
    }
    std::fill(target.pixels.begin() + static_cast<std::ptrdiff_t>(result.pixels),
              target.pixels.begin() + static_cast<std::ptrdiff_t>(total), target.fill);
    if (target.interlaced &&
        total == static_cast<std::size_t>(target.width) * static_cast<std::size_t>(target.height))
        Deinterlace(target.pixels.first(total), target.width, target.height);
    return result;
}

} // namespace qm
