#pragma once
// The GIF unit's place in the framework's picture system: registration of TGIFImage for the .gif
// extension, for form descriptions by its class name and for the clipboard, and the screen
// settings every image reads. The conversions to and from other graphics are members of
// TGIFImage and TGIFSubImage, defined in gif_graphic_binding.cpp.

#include <QString>

namespace qm {

// The clipboard format of a complete GIF stream: the MIME type other programs read.
inline const QString CF_GIF = QStringLiteral("image/gif");
inline constexpr const char* sUnsupportedClipboardFormat = "Unsupported clipboard format";

// Unit start-up: registers TGIFImage (extension "GIF", description "GIF Image", and CF_GIF) and
// sets PaletteDevice and DoAutoDither from the screen's depth (8 bits per pixel or less). Needs
// the application object; calling it again only refreshes the screen settings.
void InitializeGIFImage();
// Unit shut-down: TGIFImage leaves the picture system.
void FinalizeGIFImage();

} // namespace qm
