// Reading a GIF stream into the document model: header, frames with their extensions and
// colour tables, LZW pixel data and trailer. The reader is tolerant: oddities that still leave a
// picture become warnings; unreadable data raises GIFException.
#include "framework/core/stream.h"
#include "gif/codec/lzw_decoder.h"
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "gif/gif_progress.h"
#include "gif/gif_stream_util.h"

#include <cctype>
#include <memory>
#include <new>

namespace qm {

namespace {

bool IsGIFSignature(const std::uint8_t* bytes) {
    return std::toupper(bytes[0]) == 'G' && std::toupper(bytes[1]) == 'I' && std::toupper(bytes[2]) == 'F';
}

// Marks an image as loading while one load runs, also when it ends in an exception.
class TLoadingFlag {
public:
    explicit TLoadingFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~TLoadingFlag() { flag_ = false; }
    TLoadingFlag(const TLoadingFlag&) = delete;
    TLoadingFlag& operator=(const TLoadingFlag&) = delete;

private:
    bool& flag_;
};

// Steps back over the byte just read, so that the next reader sees it again.
void StepBack(QIODevice& stream, qint64 bytes = 1) {
    stream.seek(std::max<qint64>(0, stream.pos() - bytes));
}

} // namespace

void TGIFImage::LoadFromStream(QIODevice& stream, const TGIFReadSettings& settings) {
    ReadSettings = settings;
    LoadFromStream(stream);
}

void TGIFImage::LoadFromStream(QIODevice& stream) {
    TGIFProgressScope progress(*this, sProgressLoading);
    Clear();
    const qint64 start = stream.pos();
    const TLoadingFlag loading(loading_);
    try {
        header_->LoadFromStream(stream);
        images_->LoadFromStream(stream, this);
        TGIFTrailer(this).LoadFromStream(stream);
    } catch (const GIFException&) {
        stream.seek(start);
        throw;
    } catch (const EInvalidGraphic& e) {
        // Short reads of the stream layer count as the unit's own error.
        stream.seek(start);
        throw GIFException(e.what());
    } catch (const std::bad_alloc&) {
        stream.seek(start);
        throw GIFException(sFrameTooLarge);
    }
    progress.Succeeded();
    Changed();
}

void TGIFHeader::LoadFromStream(QIODevice& stream) {
    const qint64 start = stream.pos();
    std::uint8_t signature[6];
    ReadCheck(stream, signature, sizeof signature);
    if (!IsGIFSignature(signature)) {
        // Some writers put four bytes before the GIF data.
        stream.seek(start + 4);
        ReadCheck(stream, signature, sizeof signature);
        if (!IsGIFSignature(signature))
            throw GIFException(sBadSignature);
    }
    std::uint8_t screen[7];
    ReadCheck(stream, screen, sizeof screen);
    descriptor_.ScreenWidth = GetU16(screen);
    descriptor_.ScreenHeight = GetU16(screen + 2);
    descriptor_.PackedFields = screen[4];
    descriptor_.BackgroundColorIndex = screen[5];
    descriptor_.AspectRatio = screen[6];
    // Every drawing of the image takes a bitmap of the screen's size, so a screen the data cannot
    // fill is refused here, by the bound every graphic class applies, before anything is drawn.
    if (!FitsDataBytes(descriptor_.ScreenWidth, descriptor_.ScreenHeight, BytesToEnd(stream)))
        throw GIFException(sScreenExceedsData);
    if ((descriptor_.PackedFields & 0x80) != 0)
        colorMap_->LoadFromStream(stream, 2 << (descriptor_.PackedFields & 0x07));
    else
        colorMap_->Clear();
}

void TGIFImageList::LoadFromStream(QIODevice& stream, TGIFImage* parent) {
    const qint64 size = stream.size();
    for (;;) {
        std::uint8_t introducer = 0;
        do {
            if (!ReadOptionalByte(stream, introducer))
                return;
        } while (introducer == 0x00);
        if (introducer == 0x3B) {
            StepBack(stream);
            return;
        }
        if (introducer != 0x21 && introducer != 0x2C) {
            Warning(TGIFSeverity::gsWarning, sBadBlock);
            // The trailer check then reads the byte before the unknown one.
            StepBack(stream, 2);
            return;
        }
        StepBack(stream);
        auto frame = std::make_unique<TGIFSubImage>(parent);
        frame->LoadFromStream(stream);
        Add(std::move(frame));
        if (parent != nullptr) {
            const int percent = size > 0 ? static_cast<int>((stream.pos() * 100 + size / 2) / size) : 0;
            parent->Progress(TProgressStage::psRunning, percent, GIFImageRenderOnLoad, QRect(),
                             sProgressLoading);
        }
    }
}

void TGIFSubImage::LoadFromStream(QIODevice& stream) {
    Clear();
    std::uint8_t next = 0;
    // A stray zero after an extension does not end the frame: other readers read on to the image,
    // and the extensions before it are that image's.
    do {
        extensions_->LoadFromStream(stream, this);
        if (!ReadOptionalByte(stream, next))
            return;
    } while (next == 0x00);
    StepBack(stream);
    if (next == 0x3B)
        return; // a frame of extensions only
    std::uint8_t bytes[10];
    ReadCheck(stream, bytes, sizeof bytes);
    // bytes[0] is 0x2C or whatever odd byte stood in its place; the frame is written with 0x2C.
    GetRect16(bytes + 1, descriptor_.Left, descriptor_.Top, descriptor_.Width, descriptor_.Height);
    descriptor_.PackedFields = bytes[9];
    if ((descriptor_.Width == 0 || descriptor_.Height == 0) && image_ != nullptr) {
        descriptor_.Width = static_cast<std::uint16_t>(image_->GetWidth());
        descriptor_.Height = static_cast<std::uint16_t>(image_->GetHeight());
        Warning(TGIFSeverity::gsWarning, sScreenSizeExceeded);
    }
    if ((descriptor_.PackedFields & 0x80) != 0)
        colorMap_->LoadFromStream(stream, 2 << (descriptor_.PackedFields & 0x07));
    Decompress(stream);
}

namespace {

// The code tables are large; one decoder per thread serves every frame it reads.
TLZWDecoder& SharedDecoder() {
    thread_local auto decoder = std::make_unique<TLZWDecoder>();
    return *decoder;
}

// Pixels already held by the other frames of the image.
std::uint64_t PixelsHeld(const TGIFImage* image) {
    std::uint64_t total = 0;
    if (image != nullptr)
        for (const auto& frame : image->Images())
            total += frame->DataSize();
    return total;
}

// The bytes of the whole stream, also of one that cannot tell its size.
std::uint64_t StreamBytes(const QIODevice& stream) {
    const qint64 bytes = stream.isSequential() ? stream.pos() + stream.bytesAvailable() : stream.size();
    return static_cast<std::uint64_t>(std::max<qint64>(bytes, 0));
}

// Refuses a frame the reader's limits do not let it hold, before any of it is allocated.
void CheckFrameFits(std::uint64_t area, const TGIFImage* image, const QIODevice& stream,
                    const TGIFReadSettings& settings) {
    const std::uint64_t total = PixelsHeld(image) + area;
    if (area > settings.MaximumFramePixels || total > settings.MaximumImagePixels)
        throw GIFException(sFrameTooLarge);
    if (!settings.PaidForByData(total, StreamBytes(stream)))
        throw GIFException(sFrameExceedsData);
}

} // namespace

void TGIFSubImage::Decompress(QIODevice& stream) {
    const std::uint64_t area = static_cast<std::uint64_t>(Width()) * static_cast<std::uint64_t>(Height());
    CheckFrameFits(area, image_, stream, image_ != nullptr ? image_->ReadSettings : TGIFReadSettings());
    const bool transparent = Transparent && GraphicControlExtension != nullptr;
    const auto fill =
        static_cast<std::uint8_t>(transparent ? GraphicControlExtension->GetTransparentColorIndex() : 0);
    AllocatePixels(fill);
    const TLZWTarget target{data_, Width(), Height(), Interlaced(), fill};
    std::vector<std::uint8_t> compressed;
    const TGIFByteSource source = [&stream, &compressed](std::uint8_t* buffer, std::size_t count) {
        const std::size_t got = ReadAvailable(stream, buffer, count);
        compressed.insert(compressed.end(), buffer, buffer + got);
        return got;
    };
    bool warned = false;
    const TLZWWarningHandler warning = [this, &warned](TLZWWarning kind) {
        warned = true;
        Warning(TGIFSeverity::gsWarning,
                kind == TLZWWarning::lwPrematureEnd ? sOutOfData : sDecodeTooFewBits);
    };
    const TLZWDecodeResult result = SharedDecoder().Decode(target, source, warning);
    switch (result.status) {
    case TLZWStatus::lsOK:
        if (!warned && result.pixels == area)
            KeepCompressedData(std::move(compressed));
        break;
    case TLZWStatus::lsCircularTable:
        throw GIFException(sDecodeCircular);
    case TLZWStatus::lsCodeSizeTooLarge:
        throw GIFException(sBadCodeSize);
    }
}

void TGIFTrailer::LoadFromStream(QIODevice& stream) {
    std::uint8_t trailer = 0;
    if (ReadOptionalByte(stream, trailer) && trailer != 0x3B)
        Warning(TGIFSeverity::gsWarning, sBadTrailer);
}

} // namespace qm
