// The codec's subcommands: info (a readable summary), frames (one line per frame with a digest of
// its pixels) and copy (load and save again).
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "tools/quillmere-gif/command_registry.h"
#include "tools/quillmere-gif/command_util.h"

#include <QCryptographicHash>
#include <QFile>
#include <cstdio>
#include <string>
#include <vector>

namespace qm::tool {

namespace {

const char* VersionText(TGIFVersion version) {
    switch (version) {
    case TGIFVersion::gv87a:
        return "87a";
    case TGIFVersion::gv89a:
        return "89a";
    default:
        return "unknown";
    }
}

std::string ColorTableText(const TGIFColorMap& map) {
    return map.Count() == 0 ? "none" : std::to_string(map.Count()) + " colours";
}

// The frame's graphic control extension fields as printed by `frames`: transparent index, delay,
// disposal, each "-" when absent.
struct ControlFields {
    std::string transparent = "-";
    std::string delay = "-";
    std::string disposal = "-";
};

ControlFields ControlFieldsOf(const TGIFSubImage& frame) {
    ControlFields fields;
    if (const auto* gce = frame.GraphicControlExtension) {
        if (gce->GetTransparent())
            fields.transparent = std::to_string(gce->GetTransparentColorIndex());
        fields.delay = std::to_string(gce->GetDelay());
        fields.disposal = std::to_string(gce->GetDisposal());
    }
    return fields;
}

void PrintExtension(const TGIFExtension& extension) {
    if (const auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(&extension)) {
        std::printf("    loop: %s (%s%s)\n",
                    loop->Loops == 0 ? "for ever" : std::to_string(loop->Loops).c_str(),
                    loop->GetIdentifier().c_str(), loop->GetAuthentication().c_str());
    } else if (const auto* app = dynamic_cast<const TGIFApplicationExtension*>(&extension)) {
        std::printf("    application extension: %s%s\n", app->GetIdentifier().c_str(),
                    app->GetAuthentication().c_str());
    } else if (const auto* comment = dynamic_cast<const TGIFCommentExtension*>(&extension)) {
        for (const std::string& line : comment->Text)
            std::printf("    comment: %s\n", line.c_str());
    } else if (const auto* text = dynamic_cast<const TGIFTextExtension*>(&extension)) {
        std::printf("    plain text at %d,%d %dx%d:", text->GetBounds(1), text->GetBounds(2),
                    text->GetBounds(3), text->GetBounds(4));
        for (const std::string& line : text->Text)
            std::printf(" %s", line.c_str());
        std::printf("\n");
    }
}

void PrintFrame(int index, const TGIFSubImage& frame) {
    std::printf("frame %d: %dx%d at %d,%d, %s, local colour table: %s\n", index, frame.Width(),
                frame.Height(), frame.Left(), frame.Top(),
                frame.Interlaced() ? "interlaced" : "not interlaced",
                ColorTableText(frame.ColorMap()).c_str());
    if (frame.GetEmpty())
        std::printf("    no pixels\n");
    if (const auto* gce = frame.GraphicControlExtension) {
        std::printf("    delay: %d/100 s, disposal: %d, transparent: %s\n", gce->GetDelay(),
                    gce->GetDisposal(),
                    gce->GetTransparent() ? std::to_string(gce->GetTransparentColorIndex()).c_str() : "no");
    }
    for (const auto& extension : frame.Extensions())
        PrintExtension(*extension);
}

int RunInfo(const std::vector<std::string>& args);
int RunFrames(const std::vector<std::string>& args);
int RunCopy(const std::vector<std::string>& args);

const RegisterCommand infoCommand("info", {"info FILE", "summary of a GIF file and every warning", RunInfo});
const RegisterCommand framesCommand("frames", {"frames FILE", "one tab-separated line per frame", RunFrames});
const RegisterCommand copyCommand("copy", {"copy IN OUT [--rle]", "load and save again (LZW, or run-length)",
                                           RunCopy});

int RunInfo(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return UsageError(Commands().at("info"));
    return Guarded([&] {
        TGIFImage image;
        Load(image, args[0]);
        const TGIFHeader& header = image.Header();
        std::printf("version: %s\n", VersionText(image.Version()));
        std::printf("screen: %dx%d, background index %d, aspect ratio %d\n", image.GetWidth(),
                    image.GetHeight(), header.GetBackgroundColorIndex(), header.AspectRatio());
        std::printf("global colour table: %s\n", ColorTableText(header.ColorMap()).c_str());
        std::printf("frames: %d\n", image.Images().Count());
        for (int i = 0; i < image.Images().Count(); ++i)
            PrintFrame(i, *image.Images().Items(i));
        return ExitOk;
    });
}

int RunFrames(const std::vector<std::string>& args) {
    if (args.size() != 1)
        return UsageError(Commands().at("frames"));
    return Guarded([&] {
        TGIFImage image;
        Load(image, args[0]);
        for (int i = 0; i < image.Images().Count(); ++i) {
            const TGIFSubImage& frame = *image.Images().Items(i);
            const ControlFields fields = ControlFieldsOf(frame);
            std::string digest = "-";
            if (!frame.GetEmpty()) {
                const auto& data = frame.Data();
                digest =
                    QCryptographicHash::hash(QByteArrayView(data.data(), static_cast<qsizetype>(data.size())),
                                             QCryptographicHash::Sha256)
                        .toHex()
                        .toStdString();
            }
            std::printf("%d\t%d\t%d\t%d\t%d\t%d\t%s\t%s\t%s\t%s\n", i, frame.Left(), frame.Top(),
                        frame.Width(), frame.Height(), frame.Interlaced() ? 1 : 0, fields.transparent.c_str(),
                        fields.delay.c_str(), fields.disposal.c_str(), digest.c_str());
        }
        return ExitOk;
    });
}

int RunCopy(const std::vector<std::string>& args) {
    const bool rle = args.size() == 3 && args[2] == "--rle";
    if (args.size() != 2 && !rle)
        return UsageError(Commands().at("copy"));
    return Guarded([&] {
        TGIFImage image;
        Load(image, args[0]);
        image.Compression = rle ? TGIFCompression::gcRLE : TGIFCompression::gcLZW;
        image.SaveToFile(QString::fromStdString(args[1]));
        return ExitOk;
    });
}

} // namespace
} // namespace qm::tool
