#pragma once
// One frame of a GIF image: its image descriptor, local colour map, extensions and pixels (one
// colour index per byte, rows top to bottom, no padding).

#include "framework/graphics/bitmap.h"
#include "gif/gif_colormap.h"
#include "gif/gif_extension.h"
#include "gif/gif_item.h"

#include <QImage>
#include <QRect>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace qm {

// The 10 bytes of an image descriptor, as in the file.
struct TImageDescriptor {
    std::uint8_t Separator = 0x2C;
    std::uint16_t Left = 0;
    std::uint16_t Top = 0;
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::uint8_t PackedFields = 0; // bit 7 table, 6 interlaced, 5 sort, 3-4 reserved, 0-2 table size
};

class TBitmap;
class TGraphic;
class TGIFGraphicControlExtension;
class TCanvas;
class TShownColours;

class TGIFSubImage : public TGIFItem {
public:
    explicit TGIFSubImage(TGIFImage* image);
    ~TGIFSubImage() override;
    const char* ClassName() const override { return "TGIFSubImage"; }

    void Clear();
    TGIFVersion GetVersion() const override;
    int ColorResolution() const;
    int BitsPerPixel() const;

    // Bounds by index: 1 left, 2 top, 3 width, 4 height.
    int GetBounds(int index) const;
    void SetBounds(int index, int value);
    void SetBoundsRect(const QRect& rect);
    void DoSetBounds(int left, int top, int width, int height);
    QRect GetBoundsRect() const;
    QRect GetClientRect() const;
    int Left() const { return descriptor_.Left; }
    int Top() const { return descriptor_.Top; }
    int Width() const { return descriptor_.Width; }
    int Height() const { return descriptor_.Height; }
    bool Interlaced() const { return (descriptor_.PackedFields & 0x40) != 0; }
    void SetInterlaced(bool value);
    const TImageDescriptor& Descriptor() const { return descriptor_; }

    bool GetEmpty() const;
    // A fresh zeroed buffer of width x height bytes (none when that is 0).
    void NewImage();
    void FreeImage();
    // Allocates the buffer when missing; a frame without area raises "Image is empty".
    void NeedImage();
    // Write access to the pixels drops the compressed data kept from reading; read through a
    // const frame to keep it.
    std::uint8_t* GetScanline(int row);
    std::uint8_t GetPixel(int x, int y);
    std::vector<std::uint8_t>& Data() {
        DropKeptData();
        return data_;
    }
    const std::vector<std::uint8_t>& Data() const { return data_; }
    std::size_t DataSize() const { return data_.size(); }

    // The pixels' compressed data as read (minimum code size, data sub-blocks, terminator), which
    // the writer writes again while the pixels and their row order stay as read: encoding them
    // anew could at best match it, and grows data another encoder compressed lossily. Empty once
    // the pixels, their size or their order change. Every byte is one of the file's, so all frames
    // together keep at most the file's size.
    const std::vector<std::uint8_t>& KeptData() const { return kept_.bytes; }
    void DropKeptData();

    TGIFColorMap& GetActiveColorMap();
    TGIFLocalColorMap& ColorMap() { return *colorMap_; }
    const TGIFLocalColorMap& ColorMap() const { return *colorMap_; }
    TGIFExtensionList& Extensions() { return *extensions_; }
    const TGIFExtensionList& Extensions() const { return *extensions_; }

    // The first graphic control extension created for this frame; owned by Extensions.
    TGIFGraphicControlExtension* GraphicControlExtension = nullptr;
    bool Transparent = false;
    // Shrinks a transparent frame to the box around its visible pixels; an all-transparent frame
    // becomes empty (gif_frame_optimize.cpp).
    void Crop();
    // Makes the pixels transparent that show the same colour as `previous` at the same place on
    // the screen.
    void Merge(TGIFSubImage* previous);
    // The same against what the screen shows where this frame is drawn.
    void MergeShown(const TShownColours& shown);

    // Derived data that rendering builds on demand; every change of pixels, bounds or colours
    // drops it. A threaded painter may be rendering this frame meanwhile, so each takes the
    // image's render lock.
    void FreeBitmap();
    void FreeMask();
    void FreePalette();

    // Another frame, a bitmap (reduced to a palette unless it has one), a picture or any other
    // graphic copied or drawn into a bitmap first; an icon's mask becomes the frame's transparent
    // colour. An unsupported source raises EConvertError.
    void Assign(const TPersistent& source) override;
    // Rendering (gif_render.cpp). The frame as an 8-bit bitmap with the frame's palette, rendered
    // on first use; none for an empty frame. The dithered path is taken when the image dithers.
    const TBitmap* GetBitmap();
    TBitmap DoGetBitmap();
    TBitmap DoGetDitherBitmap();
    bool HasBitmap() const { return bitmap_.has_value(); }
    void SetHasBitmap(bool value);
    // Renders the bitmap again when a mask may still be missing; true when the frame has a mask.
    bool HasMask();
    // 1 bit per pixel, 1 where the pixel is transparent; none without transparent pixels.
    const QImage* Mask() const { return mask_ ? &*mask_ : nullptr; }
    std::optional<TPalette> GetPalette();
    void SetPalette(const std::optional<TPalette>& palette);
    // The frame's place in the logical screen mapped onto `rect` (rounded to the nearest pixel).
    QRect ScaleRect(const QRect& rect) const;
    // Draws the frame at its place in `rect` (or, tiled, at every repetition of the screen).
    void Draw(TCanvas& canvas, const QRect& rect, bool doTransparent, bool doTile);
    // Draws the frame stretched into `rect` (or, tiled, at its own size at every repetition).
    void StretchDraw(TCanvas& canvas, const QRect& rect, bool doTransparent, bool doTile);

    void SaveToStream(QIODevice& stream) override;
    void LoadFromStream(QIODevice& stream) override;
    // Decodes the LZW data that follows the descriptor (and local colour table) into the pixels.
    void Decompress(QIODevice& stream);
    // The minimum code size, the compressed pixels in sub-blocks and the terminator, the rows
    // in interlace order when `interlaced`.
    std::vector<std::uint8_t> Compress(bool interlaced) const;

protected:
    // A bitmap is given the frame's bitmap; anything else cannot take a frame.
    void AssignTo(TPersistent& dest) const override;

private:
    // The image's render lock (none for a frame without image).
    std::unique_lock<std::recursive_mutex> LockRender() const;
    void AssignFrame(const TGIFSubImage& source);
    void AssignBitmap(const TBitmap& source);
    void AssignGraphic(const TGraphic& source);
    // Reads the rows of an indexed or 24-bit bitmap into the pixels and the local colour map.
    void ImportRows(TBitmap& bitmap);
    // Pixels whose mask byte is non-zero become a new transparent entry (see the .cpp).
    void ApplyMask(const std::vector<std::uint8_t>& mask);
    void AllocatePixels(std::uint8_t fill);
    // Keeps what Decompress read, when it decoded to every pixel without a warning.
    void KeepCompressedData(std::vector<std::uint8_t> bytes);
    struct TWrittenTable {
        int bitsPerPixel;
        int colorCount; // a pixel at or beyond it cannot be written
    };
    TWrittenTable WrittenTable() const;
    // Compress for pixels of a frame `width` pixels wide other than this frame's own.
    std::vector<std::uint8_t> CompressPixels(const std::vector<std::uint8_t>& pixels, int width,
                                             bool interlaced) const;
    void PreparePackedFields(bool keepInterlace);

    TImageDescriptor descriptor_;
    std::unique_ptr<TGIFLocalColorMap> colorMap_;
    std::unique_ptr<TGIFExtensionList> extensions_;
    std::vector<std::uint8_t> data_;
    struct TKeptData {
        std::vector<std::uint8_t> bytes;
        std::uint8_t largestIndex = 0; // of the pixels, checked against the table written with them
    } kept_;
    void DrawImageAt(TCanvas& canvas, const QRect& rect, bool doTransparent, bool doTile);
    // The rendered bitmap in 32 bits, opaque or with the mask's pixels transparent; indices
    // beyond the palette show black.
    const QImage& DrawImage(bool masked);

    std::optional<TBitmap> bitmap_;
    std::optional<QImage> mask_;
    std::optional<QImage> drawImages_[2]; // opaque, masked
    bool needMask_ = true;
    std::optional<TPalette> palette_;
};

} // namespace qm
