#pragma once
// TPicture: a holder of one graphic of any registered class. It picks the class of a file by its
// extension, of a form description's picture by its class name and of a clipboard offer by its
// format, so that picture controls show bitmaps, icons, JPEGs and GIFs without knowing their classes.

#include "framework/graphics/graphic.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QMimeData;

namespace qm {

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

// One registered graphic class: its name as ClassName() gives it, and how to make one.
struct TGraphicClass {
    QString className;
    TGraphicFactory create;
};

class TPicture : public TPersistent {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;
    const char* ClassName() const override { return "TPicture"; }

    TGraphic* Graphic() const { return graphic_.get(); }
    // Takes `graphic` over (none empties the picture) and tells OnChange.
    void SetGraphic(std::unique_ptr<TGraphic> graphic);
    // A copy of another picture's graphic, or of a graphic, made by its registered class; none
    // empties the picture. An unregistered class raises EInvalidGraphic.
    void Assign(const TPersistent& source) override;
    void Clear() { SetGraphic(nullptr); }

    int Width() const { return graphic_ ? graphic_->GetWidth() : 0; }
    int Height() const { return graphic_ ? graphic_->GetHeight() : 0; }
    bool Empty() const { return !graphic_ || graphic_->GetEmpty(); }

    // Loads the file through the class registered for its extension (matched without regard to
    // case). An extension nobody registered raises EInvalidGraphic("Unknown picture file
    // extension (.ext)"); on any failure the picture keeps the graphic it had.
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName);

    // A form description's picture: the class name as a length-prefixed string, then the
    // graphic's own data (no size field). An empty picture is stored as an empty name.
    void WriteData(QIODevice& stream);
    void ReadData(QIODevice& stream);

    // The clipboard: the graphic offered in every format it has; pasting takes the first format
    // of `data` that a class is registered for and raises EInvalidGraphic when there is none.
    void SaveToClipboard(QMimeData& data) const;
    void LoadFromClipboard(const QMimeData& data);

    std::function<void(TPicture&)> OnChange;

    // The registry, which starts with the framework's own classes: TBitmap for .bmp and images
    // on the clipboard, TIcon for .ico, TJPEGImage for .jpg and .jpeg, and TImageFile as
    // TPNGImage (.png), TWebPImage (.webp) and TTIFFImage (.tif, .tiff). Later registrations of an extension
    // or format win over earlier ones.
    static void RegisterFileFormat(const QString& extension, const QString& description,
                                   TGraphicClass graphicClass);
    static void RegisterClipboardFormat(const QString& format, TGraphicClass graphicClass);
    // Forgets every extension, clipboard format and class name of the class.
    static void UnregisterGraphicClass(const QString& className);
    // The class registered for an extension (without the dot) or a class name; none when unknown.
    static const TGraphicClass* ClassForExtension(const QString& extension);
    static const TGraphicClass* ClassForName(const QString& className);
    // "Description (*.ext)" of every registered file format, newest last.
    static QStringList FileFormatDescriptions();

private:
    void GraphicChanged();

    std::unique_ptr<TGraphic> graphic_;
};

} // namespace qm
