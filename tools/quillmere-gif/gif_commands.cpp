// The codec's subcommands: info (a readable summary), frames (one line per frame with a digest of
// its pixels) and copy (load and save again).
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image.h"
#include "tools/quillmere-gif/command_registry.h"
#include "tools/quillmere-gif/command_util.h"
#include "tools/quillmere-gif/file_runs.h"

#include <array>
#include <cstdio>
#include <openssl/evp.h>
#include <stdexcept>
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

// The SHA-256 of `bytes` in hex, through libcrypto, which uses the processor's SHA instructions
// where it has them: on large frames the digest would otherwise cost more than the decoding.
std::string Sha256Hex(const std::vector<std::uint8_t>& bytes) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("the SHA-256 digest could not be computed");
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 15];
    }
    return text;
}

int RunInfo(const TCommandArguments& arguments) {
    if (arguments.Operands().size() != 1)
        return arguments.Refuse(QStringLiteral("info reads one file"));
    return Guarded([&] {
        TGIFImage image;
        Load(image, arguments.Operands().front());
        const TGIFHeader& header = image.Header();
        std::printf("version: %s\n", VersionText(image.Version()));
        std::printf("screen: %dx%d, background index %d, aspect ratio %d\n", image.GetWidth(),
                    image.GetHeight(), header.GetBackgroundColorIndex(), header.AspectRatio());
        std::printf("global colour table: %s\n", ColorTableText(header.ColorMap()).c_str());
        std::printf("frames: %d\n", image.Images().Count());
        for (int i = 0; i < image.Images().Count(); ++i)
            PrintFrame(i, *image.Images().Items(i));
        return kExitOk;
    });
}

int RunFrames(const TCommandArguments& arguments) {
    if (arguments.Operands().size() != 1)
        return arguments.Refuse(QStringLiteral("frames reads one file"));
    return Guarded([&] {
        TGIFImage image;
        Load(image, arguments.Operands().front());
        for (int i = 0; i < image.Images().Count(); ++i) {
            const TGIFSubImage& frame = *image.Images().Items(i);
            const ControlFields fields = ControlFieldsOf(frame);
            const std::string digest = frame.GetEmpty() ? "-" : Sha256Hex(frame.Data());
            std::printf("%d\t%d\t%d\t%d\t%d\t%d\t%s\t%s\t%s\t%s\n", i, frame.Left(), frame.Top(),
                        frame.Width(), frame.Height(), frame.Interlaced() ? 1 : 0, fields.transparent.c_str(),
                        fields.delay.c_str(), fields.disposal.c_str(), digest.c_str());
        }
        return kExitOk;
    });
}

int RunCopy(const TCommandArguments& arguments) {
    const bool rle = arguments.IsSet(QStringLiteral("rle"));
    return RunFiles(
        arguments, [](const QFileInfo& input) { return input.fileName(); },
        [rle](const QString& input, const QString& output, TFileOutput& report) {
            TGIFImage image;
            Load(image, input, [&report](const std::string& message) { report.Warning(message); });
            image.Compression = rle ? TGIFCompression::gcRLE : TGIFCompression::gcLZW;
            image.SaveToFile(output);
        });
}

const RegisterCommand infoCommand(QStringLiteral("info"), QStringLiteral("FILE"),
                                  QStringLiteral("summary of a GIF file and every warning"), {}, RunInfo);
const RegisterCommand
    framesCommand(QStringLiteral("frames"), QStringLiteral("FILE"),
                  QStringLiteral("one tab-separated line per frame: number, left, top, width, "
                                 "height, interlaced, transparent index, delay, disposal and "
                                 "the SHA-256 of its pixels"),
                  {}, RunFrames);
const RegisterCommand
    copyCommand(QStringLiteral("copy"), FileOperands(QStringLiteral("IN"), QStringLiteral("OUT")),
                QStringLiteral("load and save again (LZW, or run-length)"),
                WithFileOptions({FlagOption(QStringLiteral("rle"),
                                            QStringLiteral("write run-length codes instead of LZW"))}),
                RunCopy);

} // namespace
} // namespace qm::tool
