// make-logo: draws the program's name as the About dialog's logo and writes it as the dialog's
// picture data: one length byte, the graphic class name "TGIFImage", then the GIF stream that our
// own writer makes. The result is the resource resources/Infodialog_Image1.picture; run it again
// only to change the logo:
//
//   make-logo resources/Infodialog_Image1.picture [preview.gif]
//
// The GIF: GIF89a, a 152 × 26 screen, a global colour table of 128 entries, background index 255
// (outside the table: nothing is painted behind the picture), one graphic control extension that
// makes index 55 transparent, and one interlaced frame.
#include "colour/color_lookup.h"
#include "colour/color_quantizer.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"

#include <QBuffer>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <exception>

namespace qm {
namespace {

constexpr int kWidth = 152;
constexpr int kHeight = 26;
constexpr int kTableSize = 128;
constexpr int kTransparentIndex = 55;
constexpr int kBackgroundIndex = 255;
// Stands behind the letters while they are drawn, so that their smoothed edges blend towards a
// light dialog face; it never shows, being the transparent entry.
constexpr QRgb kKeyColour = 0xFFECE9E4;
const char* const kName = "Quillmere";

QFont LogoFont() {
    for (const char* family : {"URW Bookman", "DejaVu Serif", "Nimbus Roman"})
        if (QFontDatabase::hasFamily(QString::fromLatin1(family))) {
            QFont font(QString::fromLatin1(family));
            font.setBold(true);
            font.setItalic(true);
            return font;
        }
    QFont font;
    font.setBold(true);
    return font;
}

// The name as an outline, as large as fits the picture with a pixel to spare around it.
QPainterPath NameOutline() {
    QFont font = LogoFont();
    for (int pixels = kHeight; pixels > 6; --pixels) {
        font.setPixelSize(pixels);
        QPainterPath path;
        path.addText(0, 0, font, QString::fromLatin1(kName));
        const QRectF box = path.boundingRect();
        if (box.width() <= kWidth - 4 && box.height() <= kHeight - 3)
            return path.translated((kWidth - 1 - box.width()) / 2 - box.left(),
                                   (kHeight - 1 - box.height()) / 2 - box.top());
    }
    throw std::runtime_error("the name does not fit the logo");
}

// Ink from deep blue at the top to a lighter blue at the foot, over a soft grey shadow.
void PaintName(QPainter& painter, const QPainterPath& name, bool coverageOnly) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(coverageOnly ? QBrush(Qt::white) : QBrush(QColor(0x80, 0x80, 0x88)));
    painter.drawPath(name.translated(1.5, 1.5));
    QLinearGradient ink(0, 0, 0, kHeight);
    ink.setColorAt(0.0, QColor(0x10, 0x1C, 0x6A));
    ink.setColorAt(1.0, QColor(0x2E, 0x6C, 0xC8));
    painter.setBrush(coverageOnly ? QBrush(Qt::white) : QBrush(ink));
    painter.drawPath(name);
}

struct TLogoPicture {
    QImage colours;  // the name over the key colour
    QImage coverage; // non-zero where the name or its shadow touches a pixel
};

TLogoPicture DrawLogo() {
    TLogoPicture logo{QImage(kWidth, kHeight, QImage::Format_RGB32),
                      QImage(kWidth, kHeight, QImage::Format_Grayscale8)};
    logo.colours.fill(kKeyColour);
    logo.coverage.fill(0);
    const QPainterPath name = NameOutline();
    for (QImage* image : {&logo.colours, &logo.coverage}) {
        QPainter painter(image);
        PaintName(painter, name, image == &logo.coverage);
    }
    return logo;
}

// The colours of the drawing in at most kTableSize − 1 entries, found by our octree quantizer.
TPalette DrawingPalette(const QImage& colours) {
    TBitmap bitmap;
    bitmap.SetImage(colours.convertToFormat(QImage::Format_RGB888));
    return CreateOptimizedPaletteFromOneBitmap(bitmap, kTableSize - 1, 8, false);
}

// Palette index to table index: the transparent entry sits at kTransparentIndex.
int TableIndex(int paletteIndex) {
    return paletteIndex < kTransparentIndex ? paletteIndex : paletteIndex + 1;
}

void FillColourTable(TGIFColorMap& map, const TPalette& palette) {
    map.SetCapacity(kTableSize);
    for (int i = 0; i < kTableSize; ++i) {
        const int paletteIndex = i < kTransparentIndex ? i : i - 1;
        if (i == kTransparentIndex)
            map.Add(TGIFColorMap::RGB2Color({static_cast<std::uint8_t>(qRed(kKeyColour)),
                                             static_cast<std::uint8_t>(qGreen(kKeyColour)),
                                             static_cast<std::uint8_t>(qBlue(kKeyColour))}));
        else if (paletteIndex < palette.Count())
            map.Add(TGIFColorMap::RGB2Color(
                {palette[paletteIndex].peRed, palette[paletteIndex].peGreen, palette[paletteIndex].peBlue}));
        else
            map.Add(0); // unused entries fill the table to its full size
    }
}

std::vector<std::uint8_t> FramePixels(const TLogoPicture& logo, const TPalette& palette) {
    TFastColorLookup lookup(palette);
    std::vector<std::uint8_t> pixels;
    pixels.reserve(static_cast<std::size_t>(kWidth * kHeight));
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            if (qGray(logo.coverage.pixel(x, y)) == 0) {
                pixels.push_back(kTransparentIndex);
                continue;
            }
            const QRgb colour = logo.colours.pixel(x, y);
            const TColorMatch match = lookup.MatchColor(static_cast<std::uint8_t>(qRed(colour)),
                                                        static_cast<std::uint8_t>(qGreen(colour)),
                                                        static_cast<std::uint8_t>(qBlue(colour)));
            pixels.push_back(static_cast<std::uint8_t>(TableIndex(match.index)));
        }
    return pixels;
}

void BuildGif(TGIFImage& image, const TLogoPicture& logo) {
    const TPalette palette = DrawingPalette(logo.colours);
    // Stored before the table exists: the header checks an index only against a table it has.
    image.SetBackgroundColorIndex(kBackgroundIndex);
    FillColourTable(image.ColorMap(), palette);
    auto frame = std::make_unique<TGIFSubImage>(&image);
    TGIFSubImage& ref = *frame;
    image.Add(std::move(frame));
    ref.DoSetBounds(0, 0, kWidth, kHeight);
    ref.SetInterlaced(true);
    ref.Data() = FramePixels(logo, palette);
    auto control = std::make_unique<TGIFGraphicControlExtension>(&ref);
    control->SetTransparent(true);
    control->StoreTransparentColorIndex(kTransparentIndex);
    ref.Extensions().Add(std::move(control));
    image.Header().StoreWidth(kWidth);
    image.Header().StoreHeight(kHeight);
}

QByteArray PictureData(TGIFImage& image) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const QByteArray className = image.ClassName();
    buffer.putChar(static_cast<char>(className.size()));
    buffer.write(className);
    image.SaveToStream(buffer);
    return buffer.data();
}

void WriteFile(const QString& fileName, const QByteArray& bytes) {
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        throw std::runtime_error("cannot write " + fileName.toStdString());
}

} // namespace
} // namespace qm

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc < 2 || argc > 3) {
        std::fputs("usage: make-logo <picture data file> [preview.gif]\n", stderr);
        return 2;
    }
    try {
        qm::TGIFImage image;
        qm::BuildGif(image, qm::DrawLogo());
        const QByteArray data = qm::PictureData(image);
        qm::WriteFile(QString::fromLocal8Bit(argv[1]), data);
        if (argc == 3)
            qm::WriteFile(QString::fromLocal8Bit(argv[2]), data.mid(1 + data.at(0)));
        std::printf("logo: %lld bytes of picture data\n", static_cast<long long>(data.size()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-logo: %s\n", e.what());
        return 1;
    }
    return 0;
}
