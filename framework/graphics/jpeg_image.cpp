#include "framework/graphics/jpeg_image.h"

#include "framework/core/exceptions.h"

#include <QMimeData>
#include <QTransform>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jerror.h>
#include <jpeglib.h>
#include <string>

namespace qm {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return; ours jumps back
// to the decoder, which turns the code into an exception once libjpeg's frames are gone.
struct TJPEGErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] void JumpToDecoder(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<TJPEGErrorManager*>(cinfo->err)->jump, 1);
}

// A stream that ends early still decodes, padded with grey: libjpeg warns when the data runs out,
// and when a marker (an end marker put back after a cut, say) arrives before the scan is complete.
// A picture that is not all there is an error here, not a half-grey picture. Other warnings about
// recoverable damage are tolerated, as viewers do.
void EmitMessage(j_common_ptr cinfo, int level) {
    const int code = cinfo->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER))
        JumpToDecoder(cinfo);
}

void DropMessage(j_common_ptr) {}

struct TDecodeSettings {
    TJPEGPixelFormat pixelFormat;
    TJPEGScale scale;
    TJPEGPerformance performance;
    bool smoothing;
    bool grayscale;
    QSize fitSize;
};

enum class TDecodeOutcome { doDone, doLibraryError, doExceedsData, doTooLarge, doOutOfMemory };

// What the decoder saw, for the error messages.
struct TDecodeReport {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    int errorCode = 0;
};

// How a camera's orientation tag turns the stored pixels into the picture: mirrored left to
// right, then upside down, then a quarter turn clockwise (tags 1 to 8 in order).
struct TOrientation {
    bool mirror = false;
    bool flip = false;
    bool turn = false;
};

constexpr TOrientation kOrientations[] = {{},
                                          {},
                                          {true, false, false},
                                          {true, true, false},
                                          {false, true, false},
                                          {false, true, true},
                                          {false, false, true},
                                          {true, false, true},
                                          {true, true, true}};

// The orientation tag of the EXIF block in an APP1 marker; 1 (as stored) when there is none.
int ExifOrientation(const jpeg_decompress_struct& cinfo) {
    for (jpeg_saved_marker_ptr marker = cinfo.marker_list; marker != nullptr; marker = marker->next) {
        const unsigned char* data = marker->data;
        const std::size_t size = marker->data_length;
        if (marker->marker != JPEG_APP0 + 1 || size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0)
            continue;
        const unsigned char* tiff = data + 6;
        const std::size_t length = size - 6;
        const bool motorola = tiff[0] == 'M';
        const auto get = [&](std::size_t at, int bytes) -> std::uint32_t {
            std::uint32_t value = 0;
            for (int i = 0; i < bytes; ++i)
                value |= static_cast<std::uint32_t>(tiff[at + static_cast<std::size_t>(i)])
                         << (8 * (motorola ? bytes - 1 - i : i));
            return value;
        };
        const std::size_t directory = get(4, 4);
        if (directory + 2 > length)
            return 1;
        const std::uint32_t count = get(directory, 2);
        for (std::uint32_t i = 0; i < count && directory + 2 + 12 * (i + 1) <= length; ++i) {
            const std::size_t entry = directory + 2 + 12 * i;
            if (get(entry, 2) == 0x0112) {
                const auto value = static_cast<int>(get(entry + 8, 2));
                return value >= 1 && value <= 8 ? value : 1;
            }
        }
        return 1;
    }
    return 1;
}

QImage Oriented(const QImage& image, const TOrientation& orientation) {
    QImage result = image;
    if (orientation.mirror || orientation.flip)
        result = result.mirrored(orientation.mirror, orientation.flip);
    if (orientation.turn)
        result = result.transformed(QTransform().rotate(90));
    return result;
}

// The decoded pixels and the picture's size at its scale setting, which a fitted decode keeps,
// both as stored in the file; and how the camera's orientation tag turns them.
struct TDecoded {
    QImage image;
    QSize size;
    TOrientation orientation;
};

void ApplySettings(jpeg_decompress_struct& cinfo, const TDecodeSettings& settings) {
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1u << static_cast<unsigned>(settings.scale);
    cinfo.do_block_smoothing = settings.smoothing ? TRUE : FALSE;
    const bool fast = settings.performance == TJPEGPerformance::jpBestSpeed;
    cinfo.dct_method = fast ? JDCT_IFAST : JDCT_ISLOW;
    if (settings.grayscale) {
        cinfo.out_color_space = JCS_GRAYSCALE;
        return;
    }
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
        // libjpeg turns printers' inks into no screen colours: they come out as inks and are
        // converted below (and quantized there for the 8-bit output).
        cinfo.out_color_space = JCS_CMYK;
        return;
    }
    if (settings.pixelFormat == TJPEGPixelFormat::jf8Bit) {
        // Quantizing needs three components; libjpeg's own defaults for quality are two-pass
        // quantization with Floyd-Steinberg dithering.
        cinfo.out_color_space = JCS_RGB;
        cinfo.quantize_colors = TRUE;
        cinfo.desired_number_of_colors = kJPEGPaletteColors;
        cinfo.two_pass_quantize = fast ? FALSE : TRUE;
        cinfo.dither_mode = fast ? JDITHER_ORDERED : JDITHER_FS;
        return;
    }
    cinfo.out_color_space = JCS_EXT_BGR; // the byte order of a 24-bit bitmap row
}

// Ink values (cyan, magenta, yellow, black bytes in each 32-bit pixel) made screen colours in
// place. Adobe's writers store the inks inverted, which is how nearly every such file comes.
void InksToColours(QImage& image, bool inverted) {
    for (int y = 0; y < image.height(); ++y) {
        std::uint8_t* pixel = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x, pixel += 4) {
            int ink[4];
            for (int i = 0; i < 4; ++i)
                ink[i] = inverted ? pixel[i] : 255 - pixel[i];
            const auto channel = [&](int c) { return (ink[c] * ink[3] + 127) / 255; };
            const QRgb colour = qRgb(channel(0), channel(1), channel(2));
            std::memcpy(pixel, &colour, 4);
        }
    }
}

// The 216 colours of a 6 x 6 x 6 cube: the palette the 8-bit output of inks is dithered to, as
// libjpeg's quantizer takes only screen colours.
QList<QRgb> ColourCube() {
    QList<QRgb> table;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                table.append(qRgb(r * 51, g * 51, b * 51));
    return table;
}

// The smallest of libjpeg's DCT scales (1/8, 1/4, 1/2) that leaves the output no smaller than
// `fit`: decoding fewer pixels is most of the speed, and the picture is shrunk when shown anyway.
void ScaleToFit(jpeg_decompress_struct& cinfo, const QSize& fit) {
    for (unsigned denom = 8; denom > cinfo.scale_denom; denom /= 2) {
        const auto scaled = [denom](JDIMENSION side) { return static_cast<int>((side + denom - 1) / denom); };
        if (scaled(cinfo.image_width) >= fit.width() && scaled(cinfo.image_height) >= fit.height()) {
            cinfo.scale_denom = denom;
            return;
        }
    }
}

// The memory libjpeg and the output take: the output rows, the whole-image buffer of two-pass
// quantization, and the coefficients a progressive picture keeps (two bytes per sample).
std::uint64_t DecodedBytes(jpeg_decompress_struct& cinfo) {
    const std::uint64_t pixels = static_cast<std::uint64_t>(cinfo.output_width) * cinfo.output_height;
    std::uint64_t bytes = pixels * static_cast<std::uint64_t>(cinfo.output_components);
    if (cinfo.quantize_colors && cinfo.two_pass_quantize)
        bytes += pixels * 3;
    if (jpeg_has_multiple_scans(&cinfo))
        bytes += static_cast<std::uint64_t>(cinfo.image_width) * cinfo.image_height *
                 static_cast<std::uint64_t>(cinfo.num_components) * 2;
    return bytes;
}

void TakeColourMap(const jpeg_decompress_struct& cinfo, QImage& image) {
    QList<QRgb> table;
    if (!cinfo.quantize_colors) { // greyscale output
        for (int i = 0; i < 256; ++i)
            table.append(qRgb(i, i, i));
    } else {
        for (int i = 0; i < cinfo.actual_number_of_colors; ++i)
            table.append(qRgb(cinfo.colormap[0][i], cinfo.colormap[1][i], cinfo.colormap[2][i]));
    }
    image.setColorTable(table);
}

// All libjpeg calls live here, between the jump target and the return. Nothing in this frame
// needs a destructor, so a jump back from error_exit skips no clean-up; `cinfo` is destroyed
// by the caller on every path.
TDecodeOutcome RunDecoder(jpeg_decompress_struct* cinfo, TJPEGErrorManager* errors, const QByteArray* data,
                          const TDecodeSettings* settings, TDecoded* decoded, TDecodeReport* report) {
    if (setjmp(errors->jump) != 0) {
        report->errorCode = errors->pub.msg_code;
        return TDecodeOutcome::doLibraryError;
    }
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(data->constData()),
                 static_cast<unsigned long>(data->size()));
    jpeg_save_markers(cinfo, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(cinfo, TRUE);
    decoded->orientation = kOrientations[ExifOrientation(*cinfo)];
    report->width = cinfo->image_width;
    report->height = cinfo->image_height;
    if (!FitsDataBytes(cinfo->image_width, cinfo->image_height, static_cast<std::uint64_t>(data->size())))
        return TDecodeOutcome::doExceedsData;
    ApplySettings(*cinfo, *settings);
    jpeg_calc_output_dimensions(cinfo);
    decoded->size = QSize(static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height));
    if (!settings->fitSize.isEmpty()) {
        // The size to fit is the picture's as shown, that is after a quarter turn.
        ScaleToFit(*cinfo, decoded->orientation.turn ? settings->fitSize.transposed() : settings->fitSize);
        jpeg_calc_output_dimensions(cinfo);
    }
    report->width = cinfo->output_width;
    report->height = cinfo->output_height;
    if (DecodedBytes(*cinfo) > kMaxDecodedBytes)
        return TDecodeOutcome::doTooLarge;
    jpeg_start_decompress(cinfo);
    const bool indexed = cinfo->output_components == 1;
    const bool inks = cinfo->out_color_space == JCS_CMYK;
    QImage* out = &decoded->image;
    const QImage::Format format =
        indexed ? QImage::Format_Indexed8 : (inks ? QImage::Format_RGB32 : QImage::Format_BGR888);
    *out = QImage(static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height), format);
    if (out->isNull())
        return TDecodeOutcome::doOutOfMemory;
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW rows[4];
        const auto first = static_cast<int>(cinfo->output_scanline);
        const int count = std::min<int>(4, static_cast<int>(cinfo->output_height) - first);
        for (int i = 0; i < count; ++i)
            rows[i] = out->scanLine(first + i);
        jpeg_read_scanlines(cinfo, rows, static_cast<JDIMENSION>(count));
    }
    if (indexed)
        TakeColourMap(*cinfo, *out);
    if (inks) {
        InksToColours(*out, cinfo->saw_Adobe_marker != 0);
        if (settings->pixelFormat == TJPEGPixelFormat::jf8Bit)
            *out = out->convertToFormat(QImage::Format_Indexed8, ColourCube(), Qt::DiffuseDither);
    }
    jpeg_finish_decompress(cinfo);
    return TDecodeOutcome::doDone;
}

TDecoded DecodeJPEG(const QByteArray& data, const TDecodeSettings& settings) {
    jpeg_decompress_struct cinfo{};
    TJPEGErrorManager errors{};
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = JumpToDecoder;
    errors.pub.emit_message = EmitMessage;
    errors.pub.output_message = DropMessage;
    TDecoded decoded;
    TDecodeReport report;
    const TDecodeOutcome outcome = RunDecoder(&cinfo, &errors, &data, &settings, &decoded, &report);
    jpeg_destroy_decompress(&cinfo);
    switch (outcome) {
    case TDecodeOutcome::doDone:
        return decoded;
    case TDecodeOutcome::doLibraryError:
        throw EInvalidGraphic("JPEG error #" + std::to_string(report.errorCode));
    case TDecodeOutcome::doExceedsData:
        throw EInvalidGraphic(sJPEGExceedsData);
    case TDecodeOutcome::doTooLarge:
        ThrowTooLarge(report.width, report.height);
    case TDecodeOutcome::doOutOfMemory:
        break;
    }
    throw EOutOfResources("Not enough memory for a picture of " + std::to_string(report.width) + " x " +
                          std::to_string(report.height) + " pixels");
}

} // namespace

void TJPEGImage::LoadFromStream(QIODevice& stream) {
    QByteArray data = stream.readAll();
    Decode(std::move(data));
}

void TJPEGImage::Decode(QByteArray data) {
    TDecoded decoded =
        DecodeJPEG(data, {pixelFormat_, scale_, performance_, smoothing_, grayscale_, fitSize_});
    TBitmap bitmap;
    bitmap.SetImage(Oriented(decoded.image, decoded.orientation));
    data_ = std::move(data);
    bitmap_ = std::move(bitmap);
    size_ = decoded.orientation.turn ? decoded.size.transposed() : decoded.size;
    Changed();
}

void TJPEGImage::SaveToStream(QIODevice& stream) {
    if (stream.write(data_) != data_.size())
        throw EInvalidGraphic("Stream write error");
}

void TJPEGImage::SetWidth(int) {
    throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::SetHeight(int) {
    throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::Decode() {
    if (!data_.isEmpty())
        Decode(data_);
}

template <typename T> void TJPEGImage::ChangeSetting(T& setting, T value) {
    if (setting == value)
        return;
    setting = value;
    Decode();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat value) {
    ChangeSetting(pixelFormat_, value);
}
void TJPEGImage::SetScale(TJPEGScale value) {
    ChangeSetting(scale_, value);
}
void TJPEGImage::SetPerformance(TJPEGPerformance value) {
    ChangeSetting(performance_, value);
}
void TJPEGImage::SetSmoothing(bool value) {
    ChangeSetting(smoothing_, value);
}
void TJPEGImage::SetGrayscale(bool value) {
    ChangeSetting(grayscale_, value);
}
void TJPEGImage::SetFitSize(QSize value) {
    ChangeSetting(fitSize_, value);
}

void TJPEGImage::Assign(const TPersistent& source) {
    const auto* jpeg = dynamic_cast<const TJPEGImage*>(&source);
    if (jpeg == nullptr)
        return TGraphic::Assign(source);
    if (jpeg == this)
        return;
    data_ = jpeg->data_;
    bitmap_.Assign(jpeg->bitmap_);
    size_ = jpeg->size_;
    fitSize_ = jpeg->fitSize_;
    pixelFormat_ = jpeg->pixelFormat_;
    scale_ = jpeg->scale_;
    performance_ = jpeg->performance_;
    smoothing_ = jpeg->smoothing_;
    grayscale_ = jpeg->grayscale_;
    Changed();
}

void TJPEGImage::AssignTo(TPersistent& dest) const {
    if (auto* bitmap = dynamic_cast<TBitmap*>(&dest))
        return bitmap->Assign(bitmap_);
    TGraphic::AssignTo(dest);
}

void TJPEGImage::Draw(TCanvas& canvas, const QRect& rect) {
    bitmap_.Draw(canvas, rect);
}

void TJPEGImage::SaveToClipboardFormat(QMimeData& data) {
    bitmap_.SaveToClipboardFormat(data);
}

} // namespace qm
