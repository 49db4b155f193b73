// The painter's subcommand: render (play an animation and write every frame the painter
// shows as a PNG, with the wait it computed after it and the frame's disposal).
#include "gif/gif_exception.h"
#include "gif/gif_extensions.h"
#include "gif/gif_playback.h"
#include "tools/quillmere-gif/command_registry.h"
#include "tools/quillmere-gif/command_util.h"
#include "tools/quillmere-gif/file_runs.h"

#include <QDir>
#include <cstdio>
#include <optional>
#include <string>

namespace qm::tool {

namespace {

constexpr qint64 kMostPasses = 1000000;

// "WxH", both at least 1.
std::optional<QSize> TileSize(const QString& text) {
    const QStringList sides = text.split(u'x');
    if (sides.size() != 2)
        return std::nullopt;
    const auto width = WholeNumber(sides[0], 1, 65535);
    const auto height = WholeNumber(sides[1], 1, 65535);
    if (!width || !height)
        return std::nullopt;
    return QSize(static_cast<int>(*width), static_cast<int>(*height));
}

std::string DisposalText(int value) {
    static const char* const names[] = {"dmNone", "dmNoDisposal", "dmBackground", "dmPrevious"};
    return value <= dmPrevious ? names[value] : std::to_string(value);
}

void Render(const TPlaybackOptions& playback, const QString& in, const QString& outDirName,
            TFileOutput& report) {
    TGIFImage image;
    Load(image, in, [&report](const std::string& message) { report.Warning(message); });
    TPlaybackOptions options = playback;
    options.fileBytes = static_cast<std::uint64_t>(QFileInfo(in).size());
    const QDir outDir(outDirName);
    if (!outDir.mkpath("."))
        throw std::runtime_error("cannot create the folder " + outDirName.toStdString());
    int painted = 0;
    Play(image, options, [&](const QImage& canvas, TGIFPainter& painter) {
        const QString path =
            outDir.filePath(QStringLiteral("frame-%1.png").arg(painted, 3, 10, QLatin1Char('0')));
        if (!canvas.save(path, "PNG"))
            throw std::runtime_error("cannot write " + path.toStdString());
        report.Line(QStringLiteral("%1\t%2\t%3")
                        .arg(painted, 3, 10, QLatin1Char('0'))
                        .arg(painter.NextWait())
                        .arg(QString::fromStdString(DisposalText(painter.DisposalValue()))));
        ++painted;
    });
    if (painted == 0)
        throw GIFException(sNothingToRender);
}

int RunRender(const TCommandArguments& arguments) {
    TPlaybackOptions options;
    options.transparent = !arguments.IsSet(QStringLiteral("opaque"));
    options.speed = static_cast<int>(arguments.Number(QStringLiteral("speed")));
    options.passes = static_cast<int>(arguments.Number(QStringLiteral("passes")));
    if (arguments.IsSet(QStringLiteral("tile"))) {
        options.tile = TileSize(arguments.Value(QStringLiteral("tile")));
        if (!options.tile)
            return arguments.Refuse(QStringLiteral("--tile wants WIDTHxHEIGHT of at least 1x1, not '%1'")
                                        .arg(arguments.Value(QStringLiteral("tile"))));
    }
    return RunFiles(
        arguments, [](const QFileInfo& input) { return input.completeBaseName(); },
        [&options](const QString& input, const QString& output, TFileOutput& report) {
            Render(options, input, output, report);
        });
}

const RegisterCommand renderCommand(
    QStringLiteral("render"), FileOperands(QStringLiteral("IN.gif"), QStringLiteral("OUTDIR")),
    QStringLiteral(
        "play N passes (no more than the loop extension asks); OUTDIR/frame-NNN.png and a line NNN, "
        "wait in ms, disposal per painted frame (with -o, one folder per input named after it)"),
    WithFileOptions({
        NumberOption(QStringLiteral("speed"), QStringLiteral("PERCENT"), QStringLiteral("the speed of play"),
                     QStringLiteral("100"), 0, 1000),
        ValueOption(QStringLiteral("tile"), QStringLiteral("WxH"),
                    QStringLiteral("paint a rectangle of this size, tiled")),
        FlagOption(QStringLiteral("opaque"),
                   QStringLiteral("draw the transparent colour as the colour it stands for")),
        NumberOption(QStringLiteral("passes"), QStringLiteral("N"),
                     QStringLiteral("the passes to play, at most as many as the loop extension asks"),
                     QStringLiteral("1"), 1, kMostPasses),
    }),
    RunRender);

} // namespace
} // namespace qm::tool
