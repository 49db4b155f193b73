#pragma once
// The extension classes: graphic control, plain text, comment and application extensions (the
// loop extension and an opaque keeper of unknown ones), each loading and saving its exact bytes.

#include "gif/gif_colormap.h"
#include "gif/gif_extension.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm {

enum TDisposalMethod : std::uint8_t { dmNone, dmNoDisposal, dmBackground, dmPrevious };

// The 6 bytes after the label of a graphic control extension.
struct TGIFGCERec {
    std::uint8_t BlockSize = 4;
    std::uint8_t PackedFields = 0; // bit 0 transparent, 1 user input, 2-4 disposal
    std::uint16_t DelayTime = 0;   // hundredths of a second
    std::uint8_t TransparentColorIndex = 0;
    std::uint8_t Terminator = 0;
};

class TGIFGraphicControlExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass Class;
    explicit TGIFGraphicControlExtension(TGIFSubImage* subImage);
    ~TGIFGraphicControlExtension() override;
    const char* ClassName() const override { return "TGIFGraphicControlExtension"; }
    std::uint8_t GetExtensionType() const override { return 0xF9; }

    bool GetTransparent() const { return (rec_.PackedFields & 0x01) != 0; }
    void SetTransparent(bool value);
    int GetTransparentColorIndex() const { return rec_.TransparentColorIndex; }
    void SetTransparentColorIndex(int index);
    // Stores the index without checking it against the colour map (for remapping).
    void StoreTransparentColorIndex(std::uint8_t index) { rec_.TransparentColorIndex = index; }
    TColor GetTransparentColor() const;
    void SetTransparentColor(TColor color);
    int GetDelay() const { return rec_.DelayTime; }
    void SetDelay(int value) { rec_.DelayTime = static_cast<std::uint16_t>(value); }
    bool GetUserInput() const { return (rec_.PackedFields & 0x02) != 0; }
    void SetUserInput(bool value);
    int GetDisposal() const { return (rec_.PackedFields >> 2) & 0x07; }
    void SetDisposal(int value);
    const TGIFGCERec& Rec() const { return rec_; }

    void SaveToStream(QIODevice& stream) override;
    void LoadFromStream(QIODevice& stream) override;

private:
    TGIFGCERec rec_;
};

// Lines of text kept in data sub-blocks: shared by the plain text and comment extensions.
class TGIFTextLines {
public:
    std::vector<std::string> Text;
    void SaveText(QIODevice& stream) const;
    void LoadText(QIODevice& stream);
};

// The 13 bytes after the label of a plain text extension.
struct TGIFPlainTextExtensionRec {
    std::uint8_t BlockSize = 12;
    std::uint16_t Left = 0;
    std::uint16_t Top = 0;
    std::uint16_t Width = 0;
    std::uint16_t Height = 0;
    std::uint8_t CellWidth = 0;
    std::uint8_t CellHeight = 0;
    std::uint8_t TextFGColorIndex = 0;
    std::uint8_t TextBGColorIndex = 0;
};

class TGIFTextExtension : public TGIFExtension, public TGIFTextLines {
public:
    static const TGIFExtensionClass Class;
    using TGIFExtension::TGIFExtension;
    const char* ClassName() const override { return "TGIFTextExtension"; }
    std::uint8_t GetExtensionType() const override { return 0x01; }

    // 1 left, 2 top, 3 width, 4 height; other indices read 0 and are ignored on write.
    int GetBounds(int index) const;
    void SetBounds(int index, int value);
    // 1 cell width, 2 cell height.
    int GetCharWidthHeight(int index) const;
    void SetCharWidthHeight(int index, int value);
    // 1 foreground, 2 background.
    int GetColorIndex(int index) const;
    void SetColorIndex(int index, int value);
    TColor GetForegroundColor() const;
    void SetForegroundColor(TColor color);
    TColor GetBackgroundColor() const;
    void SetBackgroundColor(TColor color);
    const TGIFPlainTextExtensionRec& Rec() const { return rec_; }

    void SaveToStream(QIODevice& stream) override;
    void LoadFromStream(QIODevice& stream) override;

private:
    TGIFPlainTextExtensionRec rec_;
};

class TGIFCommentExtension : public TGIFExtension, public TGIFTextLines {
public:
    static const TGIFExtensionClass Class;
    using TGIFExtension::TGIFExtension;
    const char* ClassName() const override { return "TGIFCommentExtension"; }
    std::uint8_t GetExtensionType() const override { return 0xFE; }
    void SaveToStream(QIODevice& stream) override;
    void LoadFromStream(QIODevice& stream) override;
};

// 8 identifier bytes followed by 3 authentication bytes.
using TGIFApplicationRec = std::array<std::uint8_t, 11>;

class TGIFApplicationExtension : public TGIFExtension {
public:
    static const TGIFExtensionClass Class;
    using TGIFExtension::TGIFExtension;
    const char* ClassName() const override { return "TGIFApplicationExtension"; }
    std::uint8_t GetExtensionType() const override { return 0xFF; }

    std::string GetIdentifier() const;
    void SetIdentifier(const std::string& value);
    std::string GetAuthentication() const;
    void SetAuthentication(const std::string& value);
    const TGIFApplicationRec& Rec() const { return rec_; }

    // Later registrations of the same code win.
    static void RegisterExtension(const TGIFApplicationRec& code, const TGIFExtensionClass& extensionClass);
    static const TGIFExtensionClass* FindSubExtension(const TGIFExtensionClass& self, QIODevice& stream);

    void SaveToStream(QIODevice& stream) override;
    void LoadFromStream(QIODevice& stream) override;
    // The data sub-blocks after the identifier. A plain application extension keeps none: it steps
    // over them on load and writes only the terminator.
    virtual void SaveData(QIODevice& stream);
    virtual void LoadData(QIODevice& stream);

protected:
    TGIFApplicationRec rec_{};
};

// A data sub-block kept as read.
struct TGIFBlock {
    explicit TGIFBlock(std::uint8_t size) : Data(size, 0) {}
    std::uint8_t Size() const { return static_cast<std::uint8_t>(Data.size()); }
    std::vector<std::uint8_t> Data;
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass Class;
    using TGIFApplicationExtension::TGIFApplicationExtension;
    const char* ClassName() const override { return "TGIFUnknownAppExtension"; }
    const std::vector<std::unique_ptr<TGIFBlock>>& Blocks() const { return blocks_; }
    void SaveData(QIODevice& stream) override;
    void LoadData(QIODevice& stream) override;

private:
    std::vector<std::unique_ptr<TGIFBlock>> blocks_;
};

// The loop count of an animation ("NETSCAPE2.0", also read as "ANIMEXTS1.0").
class TGIFAppExtNSLoop : public TGIFApplicationExtension {
public:
    static const TGIFExtensionClass Class;
    explicit TGIFAppExtNSLoop(TGIFSubImage* subImage);
    const char* ClassName() const override { return "TGIFAppExtNSLoop"; }
    int Loops = 0; // 0: loop for ever
    std::uint32_t BufferSize = 0;
    void SaveData(QIODevice& stream) override;
    void LoadData(QIODevice& stream) override;
};

} // namespace qm
