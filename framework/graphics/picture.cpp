#include "framework/graphics/picture.h"

#include "framework/core/exceptions.h"
#include "framework/core/stream.h"
#include "framework/graphics/bitmap.h"
#include "framework/graphics/icon.h"
#include "framework/graphics/image_file.h"
#include "framework/graphics/jpeg_image.h"

#include <QFileInfo>
#include <QMimeData>
#include <algorithm>
#include <vector>

namespace qm {

namespace {

struct TFileFormat {
    QString extension; // lower case, no dot
    QString description;
    TGraphicClass graphicClass;
};

struct TClipboardFormat {
    QString format;
    TGraphicClass graphicClass;
};

struct TRegistry {
    std::vector<TFileFormat> fileFormats;
    std::vector<TClipboardFormat> clipboardFormats;
    std::vector<TGraphicClass> classes;
};

template <const char* className, const char* format> TGraphicClass ImageFileClass() {
    return {QLatin1String(className), [] { return std::make_unique<TImageFile>(className, format); }};
}

constexpr char kPNGClass[] = "TPNGImage", kPNGFormat[] = "png";
constexpr char kWebPClass[] = "TWebPImage", kWebPFormat[] = "webp";
constexpr char kTIFFClass[] = "TTIFFImage", kTIFFFormat[] = "tiff";

// The framework's own classes are there from the start: bitmaps for .bmp and for images on the
// clipboard, icons for .ico, JPEG for .jpg and .jpeg, and the formats of Qt's image readers.
TRegistry MakeRegistry() {
    const TGraphicClass bitmap{QStringLiteral("TBitmap"), [] { return std::make_unique<TBitmap>(); }};
    const TGraphicClass icon{QStringLiteral("TIcon"), [] { return std::make_unique<TIcon>(); }};
    const TGraphicClass jpeg{QStringLiteral("TJPEGImage"), [] { return std::make_unique<TJPEGImage>(); }};
    const TGraphicClass png = ImageFileClass<kPNGClass, kPNGFormat>();
    const TGraphicClass webp = ImageFileClass<kWebPClass, kWebPFormat>();
    const TGraphicClass tiff = ImageFileClass<kTIFFClass, kTIFFFormat>();
    TRegistry registry;
    registry.classes = {bitmap, icon, jpeg, png, webp, tiff};
    registry.fileFormats = {{QStringLiteral("bmp"), QStringLiteral("Bitmaps"), bitmap},
                            {QStringLiteral("ico"), QStringLiteral("Icon"), icon},
                            {QStringLiteral("jpg"), QStringLiteral("JPEG Image File"), jpeg},
                            {QStringLiteral("jpeg"), QStringLiteral("JPEG Image File"), jpeg},
                            {QStringLiteral("png"), QStringLiteral("PNG Image"), png},
                            {QStringLiteral("webp"), QStringLiteral("WebP Image"), webp},
                            {QStringLiteral("tif"), QStringLiteral("TIFF Image"), tiff},
                            {QStringLiteral("tiff"), QStringLiteral("TIFF Image"), tiff}};
    registry.clipboardFormats = {{QStringLiteral("application/x-qt-image"), bitmap}};
    return registry;
}

TRegistry& Registry() {
    static TRegistry registry = MakeRegistry();
    return registry;
}

void RememberClass(const TGraphicClass& graphicClass) {
    auto& classes = Registry().classes;
    const auto known = std::find_if(classes.begin(), classes.end(), [&](const TGraphicClass& c) {
        return c.className == graphicClass.className;
    });
    if (known == classes.end())
        classes.push_back(graphicClass);
    else
        *known = graphicClass;
}

std::unique_ptr<TGraphic> CreateByName(const QString& className) {
    const TGraphicClass* graphicClass = TPicture::ClassForName(className);
    if (graphicClass == nullptr)
        throw EInvalidGraphic("Unknown graphic class " + className.toStdString());
    return graphicClass->create();
}

} // namespace

void TPicture::RegisterFileFormat(const QString& extension, const QString& description,
                                  TGraphicClass graphicClass) {
    RememberClass(graphicClass);
    Registry().fileFormats.push_back({extension.toLower(), description, std::move(graphicClass)});
}

void TPicture::RegisterClipboardFormat(const QString& format, TGraphicClass graphicClass) {
    RememberClass(graphicClass);
    Registry().clipboardFormats.push_back({format, std::move(graphicClass)});
}

void TPicture::UnregisterGraphicClass(const QString& className) {
    TRegistry& registry = Registry();
    const auto ofClass = [&](const auto& entry) { return entry.graphicClass.className == className; };
    std::erase_if(registry.fileFormats, ofClass);
    std::erase_if(registry.clipboardFormats, ofClass);
    std::erase_if(registry.classes, [&](const TGraphicClass& c) { return c.className == className; });
}

const TGraphicClass* TPicture::ClassForExtension(const QString& extension) {
    const auto& formats = Registry().fileFormats;
    const QString wanted = extension.toLower();
    const auto found = std::find_if(formats.rbegin(), formats.rend(),
                                    [&](const TFileFormat& format) { return format.extension == wanted; });
    return found == formats.rend() ? nullptr : &found->graphicClass;
}

const TGraphicClass* TPicture::ClassForName(const QString& className) {
    const auto& classes = Registry().classes;
    const auto found = std::find_if(classes.begin(), classes.end(),
                                    [&](const TGraphicClass& c) { return c.className == className; });
    return found == classes.end() ? nullptr : &*found;
}

QStringList TPicture::FileFormatDescriptions() {
    QStringList result;
    for (const TFileFormat& format : Registry().fileFormats)
        result.append(format.description + QStringLiteral(" (*.") + format.extension + QLatin1Char(')'));
    return result;
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
    if (graphic_)
        graphic_->OnChange = nullptr;
    graphic_ = std::move(graphic);
    if (graphic_)
        graphic_->OnChange = [this](TGraphic&) { GraphicChanged(); };
    GraphicChanged();
}

void TPicture::GraphicChanged() {
    if (OnChange)
        OnChange(*this);
}

void TPicture::Assign(const TPersistent& source) {
    const TGraphic* graphic = nullptr;
    if (const auto* picture = dynamic_cast<const TPicture*>(&source)) {
        if (picture == this)
            return;
        graphic = picture->Graphic();
    } else {
        graphic = dynamic_cast<const TGraphic*>(&source);
        if (graphic == nullptr)
            return TPersistent::Assign(source);
    }
    if (graphic == nullptr)
        return Clear();
    auto copy = CreateByName(QString::fromLatin1(graphic->ClassName()));
    copy->Assign(*graphic);
    SetGraphic(std::move(copy));
}

void TPicture::LoadFromFile(const QString& fileName) {
    const QString extension = QFileInfo(fileName).suffix();
    const TGraphicClass* graphicClass = ClassForExtension(extension);
    if (graphicClass == nullptr)
        throw EInvalidGraphic("Unknown picture file extension (." + extension.toStdString() + ")");
    auto graphic = graphicClass->create();
    graphic->LoadFromFile(fileName);
    SetGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const QString& fileName) {
    if (graphic_)
        graphic_->SaveToFile(fileName);
}

void TPicture::WriteData(QIODevice& stream) {
    const QByteArray name = graphic_ ? QByteArray(graphic_->ClassName()) : QByteArray();
    WriteByte(stream, static_cast<std::uint8_t>(name.size()));
    WriteCheck(stream, name.constData(), static_cast<std::size_t>(name.size()));
    if (graphic_)
        graphic_->WriteData(stream);
}

void TPicture::ReadData(QIODevice& stream) {
    QByteArray name(ReadByte(stream), '\0');
    ReadCheck(stream, name.data(), static_cast<std::size_t>(name.size()));
    if (name.isEmpty())
        return Clear();
    auto graphic = CreateByName(QString::fromLatin1(name));
    graphic->ReadData(stream);
    SetGraphic(std::move(graphic));
}

void TPicture::SaveToClipboard(QMimeData& data) const {
    if (graphic_)
        graphic_->SaveToClipboardFormat(data);
}

void TPicture::LoadFromClipboard(const QMimeData& data) {
    // The latest registration wins, as with file extensions.
    const auto& formats = Registry().clipboardFormats;
    for (auto it = formats.rbegin(); it != formats.rend(); ++it) {
        const TClipboardFormat& format = *it;
        if (!data.hasFormat(format.format))
            continue;
        auto graphic = format.graphicClass.create();
        graphic->LoadFromClipboardFormat(data, format.format);
        return SetGraphic(std::move(graphic));
    }
    throw EInvalidGraphic("Unsupported clipboard format");
}

} // namespace qm
