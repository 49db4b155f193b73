// The painter's subcommand: render (play an animation and write every frame the painter
// shows as a PNG, with the wait it computed after it and the frame's disposal).
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_playback.h"
#include "tools/quillmere-gif/command_registry.h"
#include "tools/quillmere-gif/command_util.h"

#include <QDir>
#include <QFileInfo>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace qm::tool {

namespace {

int RunRender(const std::vector<std::string>& args);

const RegisterCommand
    renderCommand("render", {"render IN.gif OUTDIR [--speed PERCENT] [--tile WxH] [--opaque] [--passes N]",
                             "play N passes (default 1, no more than the loop extension asks); "
                             "OUTDIR/frame-NNN.png and a line NNN, wait in ms, disposal per painted frame",
                             RunRender});

std::optional<int> WholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<QSize> TileSize(const std::string& text) {
    const auto x = text.find('x');
    if (x == std::string::npos)
        return std::nullopt;
    const auto width = WholeNumber(std::string_view(text).substr(0, x));
    const auto height = WholeNumber(std::string_view(text).substr(x + 1));
    if (!width || !height || *width <= 0 || *height <= 0)
        return std::nullopt;
    return QSize(*width, *height);
}

struct RenderArguments {
    std::string in;
    std::string outDir;
    TPlaybackOptions options;
};

std::optional<RenderArguments> Parse(const std::vector<std::string>& args) {
    RenderArguments result;
    std::vector<std::string> plain;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--opaque") {
            result.options.transparent = false;
        } else if (args[i] == "--speed" && hasValue) {
            const auto speed = WholeNumber(args[++i]);
            if (!speed || *speed < 0 || *speed > 1000)
                return std::nullopt;
            result.options.speed = *speed;
        } else if (args[i] == "--passes" && hasValue) {
            const auto passes = WholeNumber(args[++i]);
            if (!passes || *passes < 1)
                return std::nullopt;
            result.options.passes = *passes;
        } else if (args[i] == "--tile" && hasValue) {
            result.options.tile = TileSize(args[++i]);
            if (!result.options.tile)
                return std::nullopt;
        } else if (args[i].rfind("--", 0) == 0) {
            return std::nullopt;
        } else {
            plain.push_back(args[i]);
        }
    }
    if (plain.size() != 2)
        return std::nullopt;
    result.in = plain[0];
    result.outDir = plain[1];
    return result;
}

std::string DisposalText(int value) {
    static const char* const names[] = {"dmNone", "dmNoDisposal", "dmBackground", "dmPrevious"};
    return value <= dmPrevious ? names[value] : std::to_string(value);
}

int RunRender(const std::vector<std::string>& args) {
    const auto parsed = Parse(args);
    if (!parsed)
        return UsageError(Commands().at("render"));
    return Guarded([&] {
        TGIFImage image;
        Load(image, parsed->in);
        TPlaybackOptions options = parsed->options;
        options.fileBytes = static_cast<std::uint64_t>(QFileInfo(QString::fromStdString(parsed->in)).size());
        const QDir outDir(QString::fromStdString(parsed->outDir));
        if (!outDir.mkpath("."))
            throw std::runtime_error("cannot create the folder " + parsed->outDir);
        int painted = 0;
        Play(image, options, [&](const QImage& canvas, TGIFPainter& painter) {
            char name[32];
            std::snprintf(name, sizeof name, "frame-%03d.png", painted);
            const QString path = outDir.filePath(name);
            if (!canvas.save(path, "PNG"))
                throw std::runtime_error("cannot write " + path.toStdString());
            std::printf("%03d\t%lld\t%s\n", painted, static_cast<long long>(painter.NextWait()),
                        DisposalText(painter.DisposalValue()).c_str());
            ++painted;
        });
        if (painted == 0)
            throw GIFException(sNothingToRender);
        return ExitOk;
    });
}

} // namespace
} // namespace qm::tool
