#pragma once
// Extension blocks (introducer 0x21) of a frame, the registry that turns a label byte into an
// extension class while reading, and the list of a frame's extensions.

#include "gif/gif_item.h"

#include <cstdint>
#include <memory>

namespace qm {

class TGIFExtension;
class TGIFSubImage;

// What the reader needs to know of an extension class: how to make one, and how to look for a
// more specific class in the bytes that follow its label.
struct TGIFExtensionClass {
    const char* Name;
    std::unique_ptr<TGIFExtension> (*Create)(TGIFSubImage* subImage);
    // Reads on from the current position; returns the class itself, a more specific class, or
    // null when the data cannot tell.
    const TGIFExtensionClass* (*FindSubExtension)(const TGIFExtensionClass& self, QIODevice& stream);
};

class TGIFExtension : public TGIFItem {
public:
    explicit TGIFExtension(TGIFSubImage* subImage);
    const char* ClassName() const override { return "TGIFExtension"; }
    TGIFVersion GetVersion() const override { return TGIFVersion::gv89a; }
    virtual std::uint8_t GetExtensionType() const = 0;
    TGIFSubImage* SubImage() const { return subImage_; }

    // Later registrations of the same label win.
    static void RegisterExtension(std::uint8_t label, const TGIFExtensionClass& extensionClass);
    // Called just after a 0x21 introducer; the stream position is left where it was.
    static const TGIFExtensionClass* FindExtension(QIODevice& stream);
    // The class-level look-up of the base: the class itself.
    static const TGIFExtensionClass* FindSubExtension(const TGIFExtensionClass& self, QIODevice& stream);

protected:
    // Introducer and label.
    void SaveFraming(QIODevice& stream) const;
    void LoadFraming(QIODevice& stream) const;

    TGIFSubImage* subImage_;
};

// Makes the registry entry of an extension class T.
template <class T> constexpr TGIFExtensionClass MakeExtensionClass(const char* name) {
    return {name,
            [](TGIFSubImage* subImage) -> std::unique_ptr<TGIFExtension> {
                return std::make_unique<T>(subImage);
            },
            &T::FindSubExtension};
}

class TGIFExtensionList : public TGIFList<TGIFExtension> {
public:
    using TGIFList::TGIFList;
    const char* ClassName() const override { return "TGIFExtensionList"; }
    // Reads the extensions that precede a frame's image descriptor.
    void LoadFromStream(QIODevice& stream, TGIFSubImage* parent);
};

} // namespace qm
