// The optimisation's subcommand: optimize (make a GIF file smaller without changing how it looks).
#include "gif/gif_exception.h"
#include "gif/gif_image.h"
#include "tools/quillmere-gif/command_registry.h"
#include "tools/quillmere-gif/command_util.h"
#include "tools/quillmere-gif/file_runs.h"

#include <QBuffer>
#include <string>

namespace qm::tool {

namespace {

QByteArray ReadWhole(const QString& path) {
    QByteArray bytes;
    LoadFromFileWith(path, [&bytes](QIODevice& in) { bytes = in.readAll(); });
    return bytes;
}

struct OptimizeRequest {
    TGIFOptimizeOptions steps;
    bool mergeColorMaps = false;
    // An optimized result larger than the input is written only when asked for; otherwise the
    // input is written as it was.
    bool keepSmaller = true;
};

void Optimize(const OptimizeRequest& request, const QString& inputPath, const QString& outputPath,
              TFileOutput& report) {
    const QByteArray input = ReadWhole(inputPath);
    TGIFImage image;
    image.OnWarning = [&report](const TPersistent&, TGIFSeverity, const std::string& message) {
        report.Warning(message);
    };
    QBuffer source;
    source.setData(input);
    source.open(QIODevice::ReadOnly);
    image.LoadFromStream(source);
    const int framesBefore = image.Images().Count();
    image.Optimize(request.steps, TColorReduction::rmNone, TDitherMode::dmNearest, 8);
    if (request.mergeColorMaps) {
        if (const int lost = image.OptimizeColorMap(); lost > 0)
            report.Warning(
                std::to_string(lost) +
                " colours found no room in the merged colour table and show as the nearest kept colour");
    }
    QBuffer optimized;
    optimized.open(QIODevice::WriteOnly);
    image.SaveToStream(optimized);
    const bool keepInput = request.keepSmaller && optimized.data().size() > input.size();
    const QByteArray& written = keepInput ? input : optimized.data();
    SaveToFileWith(outputPath, [&written](QIODevice& out) {
        if (out.write(written) != written.size())
            throw GIFException("Cannot write the optimized image");
    });
    report.Line(QStringLiteral("%1\t%2\t%3\t%4")
                    .arg(input.size())
                    .arg(written.size())
                    .arg(framesBefore)
                    .arg(keepInput ? framesBefore : image.Images().Count()));
}

int RunOptimize(const TCommandArguments& arguments) {
    OptimizeRequest request;
    std::uint8_t steps = 0;
    for (const int step : arguments.Choices(QStringLiteral("steps")))
        steps = static_cast<std::uint8_t>(steps |
                                          TGIFOptimizeOptions{static_cast<TGIFOptimizeOption>(step)}.Value());
    request.steps = TGIFOptimizeOptions(steps);
    request.mergeColorMaps = arguments.IsSet(QStringLiteral("merge-colormaps"));
    request.keepSmaller = !arguments.IsSet(QStringLiteral("allow-larger"));
    return RunFiles(
        arguments, [](const QFileInfo& input) { return input.fileName(); },
        [&request](const QString& input, const QString& output, TFileOutput& report) {
            Optimize(request, input, output, report);
        });
}

const RegisterCommand optimizeCommand(
    QStringLiteral("optimize"), FileOperands(QStringLiteral("IN.gif"), QStringLiteral("OUT.gif")),
    QStringLiteral("make a GIF smaller without changing how it looks (never larger than IN unless "
                   "--allow-larger); prints IN and OUT bytes, frames before and after"),
    WithFileOptions({
        ChoiceOption(QStringLiteral("steps"), QStringLiteral("LIST"),
                     QStringLiteral("the steps to take, separated by commas"),
                     QStringLiteral("crop,merge,cleanup,colormap"),
                     {{static_cast<int>(TGIFOptimizeOption::ooCrop),
                       {QStringLiteral("crop"), QStringLiteral("ooCrop")}},
                      {static_cast<int>(TGIFOptimizeOption::ooMerge),
                       {QStringLiteral("merge"), QStringLiteral("ooMerge")}},
                      {static_cast<int>(TGIFOptimizeOption::ooCleanup),
                       {QStringLiteral("cleanup"), QStringLiteral("ooCleanup")}},
                      {static_cast<int>(TGIFOptimizeOption::ooColorMap),
                       {QStringLiteral("colormap"), QStringLiteral("ooColorMap")}}},
                     true),
        FlagOption(QStringLiteral("merge-colormaps"),
                   QStringLiteral("merge every colour table into one global table")),
        FlagOption(QStringLiteral("allow-larger"),
                   QStringLiteral("write the result even when it is larger than IN")),
        // The default now; still accepted from scripts that asked for it.
        FlagOption(QStringLiteral("keep-smaller"),
                   QStringLiteral("write IN unchanged when the result would be larger (the default)")),
    }),
    RunOptimize);

} // namespace
} // namespace qm::tool
