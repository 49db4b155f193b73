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

void TGIFSubImage::PreparePackedFields() {
    if (colorMap_->Count() > 0) {
        // A local colour table goes with plain row order: the flag is written cleared.
        int packed = 0x80 | (colorMap_->GetBitsPerPixel() - 1);
        if (colorMap_->Optimized())
            packed |= 0x20;
        descriptor_.PackedFields = static_cast<std::uint8_t>(packed);
    } else {
        descriptor_.PackedFields &= static_cast<std::uint8_t>(~(0x80 | 0x20 | 0x07));
    }
}

void TGIFSubImage::SaveToStream(QIODevice& stream) {
    for (const auto& extension : *extensions_)
        extension->SaveToStream(stream);
    if (GetEmpty())
        return;
    PreparePackedFields();
    std::uint8_t bytes[10];
    bytes[0] = descriptor_.Separator;
    PutRect16(bytes + 1, descriptor_.Left, descriptor_.Top, descriptor_.Width, descriptor_.Height);
    bytes[9] = descriptor_.PackedFields;
    WriteCheck(stream, bytes, sizeof bytes);
    colorMap_->SaveToStream(stream);
    Compress(stream);
}

void TGIFSubImage::Compress(QIODevice& stream) {
    TGIFEncodeSource source{data_, Width(), Height(), Interlaced(), 0, 0};
    if (colorMap_->Count() > 0) {
        source.bitsPerPixel = colorMap_->GetBitsPerPixel();
        source.colorCount = colorMap_->Count();
    } else {
        source.bitsPerPixel = image_ != nullptr ? image_->BitsPerPixel() : 0;
        source.colorCount = 1 << source.bitsPerPixel;
    }
    const TGIFByteSink sink = [&stream](const std::uint8_t* data, std::size_t count) {
        WriteCheck(stream, data, count);
    };
    const bool rle = image_ != nullptr && image_->Compression == TGIFCompression::gcRLE;
    const TGIFEncodeStatus status =
        rle ? TRLEEncoder().Encode(source, sink) : TLZWEncoder().Encode(source, sink);
    if (status == TGIFEncodeStatus::esColorNotInTable)
        throw GIFException(sInvalidColor);
}

void TGIFTrailer::SaveToStream(QIODevice& stream) {
    WriteByte(stream, 0x3B);
}

} // namespace qm
