#pragma once
// TJPEGImage: the JPEG graphic of the picture system, decoded by libjpeg (libjpeg-turbo) through
// its C API. It keeps the compressed data and the bitmap decoded with its current settings; a
// change of a setting decodes again.

#include "framework/graphics/bitmap.h"
#include "framework/graphics/graphic.h"

#include <QByteArray>
#include <QSize>

namespace qm {

// Output of the decoder: 24-bit colour, or an 8-bit palette quantized by libjpeg.
enum class TJPEGPixelFormat : std::uint8_t { jf24Bit, jf8Bit };
// Scale 1/1, 1/2, 1/4, 1/8.
enum class TJPEGScale : std::uint8_t { jsFullSize, jsHalf, jsQuarter, jsEighth };
// Quality: accurate integer DCT, two-pass quantization, Floyd-Steinberg dithering.
// Speed: fast integer DCT, one-pass quantization, ordered dithering.
enum class TJPEGPerformance : std::uint8_t { jpBestQuality, jpBestSpeed };

// The error of a picture whose declared size its data cannot fill (see FitsDataBytes).
inline constexpr const char* sJPEGExceedsData = "JPEG image too large for the data in the file";

// The colours of the 8-bit output.
inline constexpr int kJPEGPaletteColors = 236;

class TJPEGImage : public TGraphic {
public:
    TJPEGImage() = default;
    const char* ClassName() const override { return "TJPEGImage"; }

    // Reads the whole stream and decodes it. A damaged or cut stream raises EInvalidGraphic("JPEG
    // error #n") with libjpeg's message code; after its header, a picture larger than its data
    // can fill raises sJPEGExceedsData, and one whose decoding would take more than
    // kMaxDecodedBytes is refused too. On failure the image keeps what it had.
    void LoadFromStream(QIODevice& stream) override;
    // Writes the compressed data as it was read.
    void SaveToStream(QIODevice& stream) override;

    // The picture's size at its Scale, also when a fitted decode holds fewer pixels.
    int GetWidth() const override { return size_.width(); }
    int GetHeight() const override { return size_.height(); }
    // A decoded JPEG has the size its data gives it.
    void SetWidth(int) override;
    void SetHeight(int) override;
    bool GetEmpty() const override { return data_.isEmpty(); }

    TJPEGPixelFormat PixelFormat() const { return pixelFormat_; }
    void SetPixelFormat(TJPEGPixelFormat value);
    TJPEGScale Scale() const { return scale_; }
    void SetScale(TJPEGScale value);
    TJPEGPerformance Performance() const { return performance_; }
    void SetPerformance(TJPEGPerformance value);
    // libjpeg's block smoothing of progressive pictures (on by default).
    bool Smoothing() const { return smoothing_; }
    void SetSmoothing(bool value);
    bool Grayscale() const { return grayscale_; }
    void SetGrayscale(bool value);
    // When not empty, the decoder takes the smallest of libjpeg's DCT scales that leaves the
    // pixels at least this size (never above Scale): for a picture that is only shown shrunk.
    // Width and height stay those of Scale; Bitmap() holds the fewer pixels.
    QSize FitSize() const { return fitSize_; }
    void SetFitSize(QSize value);

    // The bytes of the compressed data it keeps.
    qsizetype DataSize() const { return data_.size(); }
    // The decoded picture: 24 bits per pixel, or 8 bits with libjpeg's colour map.
    const TBitmap& Bitmap() const { return bitmap_; }

    // Another JPEG image's data, settings and decoded picture.
    void Assign(const TPersistent& source) override;
    void Draw(TCanvas& canvas, const QRect& rect) override;
    void SaveToClipboardFormat(QMimeData& data) override;

protected:
    // A bitmap receives the decoded picture.
    void AssignTo(TPersistent& dest) const override;

private:
    template <typename T> void ChangeSetting(T& setting, T value);
    void Decode();
    void Decode(QByteArray data);

    QByteArray data_;
    TBitmap bitmap_;
    QSize size_;
    QSize fitSize_;
    TJPEGPixelFormat pixelFormat_ = TJPEGPixelFormat::jf24Bit;
    TJPEGScale scale_ = TJPEGScale::jsFullSize;
    TJPEGPerformance performance_ = TJPEGPerformance::jpBestQuality;
    bool smoothing_ = true;
    bool grayscale_ = false;
};

} // namespace qm
