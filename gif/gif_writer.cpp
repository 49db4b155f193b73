// Writing the document model as a GIF stream: header and global colour table, each frame's
// extensions, descriptor, local colour table and compressed pixels, and the trailer.
#include "framework/core/stream.h"
#include "gif/codec/lzw_encoder.h"
#include "gif/codec/rle_encoder.h"
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "gif/gif_progress.h"
#include "gif/gif_stream_util.h"

#include <algorithm>

namespace qm {

void TGIFImage::SaveToStream(QIODevice& stream) {
    TGIFProgressScope progress(*this, sProgressSaving);
    header_->SaveToStream(stream);
    images_->SaveToStream(stream);
    TGIFTrailer(this).SaveToStream(stream);
    progress.Succeeded();
}

void TGIFHeader::SaveToStream(QIODevice& stream) {
    const TGIFVersion version = image_ != nullptr ? image_->Version() : TGIFVersion::gvUnknown;
    if (version == TGIFVersion::gvUnknown)
        throw GIFException(sBadVersion);
    const std::string& versionText = GIFVersions[version == TGIFVersion::gv87a ? 0 : 1];
    Prepare();
    std::uint8_t bytes[13] = {'G', 'I', 'F'};
    std::copy_n(versionText.begin(), 3, bytes + 3);
    PutU16(bytes + 6, descriptor_.ScreenWidth);
    PutU16(bytes + 8, descriptor_.ScreenHeight);
    bytes[10] = descriptor_.PackedFields;
    bytes[11] = descriptor_.BackgroundColorIndex;
    bytes[12] = descriptor_.AspectRatio;
    WriteCheck(stream, bytes, sizeof bytes);
    if ((descriptor_.PackedFields & 0x80) != 0)
        colorMap_->SaveToStream(stream);
}

void TGIFImageList::SaveToStream(QIODevice& stream) {
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        Items(i)->SaveToStream(stream);
        if (image_ != nullptr)
            image_->Progress(TProgressStage::psRunning, (i + 1) * 100 / count, false, QRect(),
                             sProgressSaving);
    }
}

void TGIFSubImage::PreparePackedFields(bool keepInterlace) {
    const std::uint8_t before = descriptor_.PackedFields;
    if (colorMap_->Count() > 0) {
        // A local colour table goes with plain row order: the flag is written cleared, unless
        // the kept data is written, whose rows lie in the order they were read in.
        int packed = 0x80 | (colorMap_->GetBitsPerPixel() - 1) | (keepInterlace ? before & 0x40 : 0);
        if (colorMap_->Optimized())
            packed |= 0x20;
        descriptor_.PackedFields = static_cast<std::uint8_t>(packed);
    } else {
        descriptor_.PackedFields &= static_cast<std::uint8_t>(~(0x80 | 0x20 | 0x07));
    }
    if (((before ^ descriptor_.PackedFields) & 0x40) != 0)
        DropKeptData();
}

TGIFSubImage::TWrittenTable TGIFSubImage::WrittenTable() const {
    if (colorMap_->Count() > 0)
        return {colorMap_->GetBitsPerPixel(), colorMap_->Count()};
    const int bits = image_ != nullptr ? image_->BitsPerPixel() : 0;
    return {bits, 1 << bits};
}

void TGIFSubImage::SaveToStream(QIODevice& stream) {
    for (const auto& extension : *extensions_)
        extension->SaveToStream(stream);
    if (GetEmpty())
        return;
    // The pixels are encoded anew, and the kept data is written instead when it is smaller. That
    // is LZW: asked for run-length codes, the frame is written as encoded.
    const bool rle = image_ != nullptr && image_->Compression == TGIFCompression::gcRLE;
    const bool mayKeep = !kept_.bytes.empty() && !rle && kept_.largestIndex < WrittenTable().colorCount;
    const std::vector<std::uint8_t> encoded = Compress(colorMap_->Count() > 0 ? false : Interlaced());
    const bool writeKept = mayKeep && kept_.bytes.size() <= encoded.size();
    PreparePackedFields(writeKept);
    std::uint8_t bytes[10];
    bytes[0] = descriptor_.Separator;
    PutRect16(bytes + 1, descriptor_.Left, descriptor_.Top, descriptor_.Width, descriptor_.Height);
    bytes[9] = descriptor_.PackedFields;
    WriteCheck(stream, bytes, sizeof bytes);
    colorMap_->SaveToStream(stream);
    const std::vector<std::uint8_t>& data = writeKept ? kept_.bytes : encoded;
    WriteCheck(stream, data.data(), data.size());
}

std::vector<std::uint8_t> TGIFSubImage::Compress(bool interlaced) const {
    return CompressPixels(data_, Width(), interlaced);
}

std::vector<std::uint8_t> TGIFSubImage::CompressPixels(const std::vector<std::uint8_t>& pixels, int width,
                                                       bool interlaced) const {
    const TWrittenTable table = WrittenTable();
    // The codes need only be as wide as the largest index the pixels hold: a frame that draws with
    // the first entries of a large table gets shorter codes.
    const int largest = pixels.empty() ? 0 : *std::max_element(pixels.begin(), pixels.end());
    int bits = 1;
    while ((1 << bits) <= largest)
        ++bits;
    const int height = width > 0 ? static_cast<int>(pixels.size() / static_cast<std::size_t>(width)) : 0;
    const TGIFEncodeSource source{
        pixels, width, height, interlaced, std::min(bits, table.bitsPerPixel), table.colorCount};
    std::vector<std::uint8_t> encoded;
    const TGIFByteSink sink = [&encoded](const std::uint8_t* data, std::size_t count) {
        encoded.insert(encoded.end(), data, data + count);
    };
    const bool rle = image_ != nullptr && image_->Compression == TGIFCompression::gcRLE;
    const TGIFEncodeStatus status =
        rle ? TRLEEncoder().Encode(source, sink) : TLZWEncoder().Encode(source, sink);
    if (status == TGIFEncodeStatus::esColorNotInTable)
        throw GIFException(sInvalidColor);
    return encoded;
}

void TGIFTrailer::SaveToStream(QIODevice& stream) {
    WriteByte(stream, 0x3B);
}

} // namespace qm
