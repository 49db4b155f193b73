// The optimisation's subcommand: optimize (make a GIF file smaller without changing how it looks).
#include "gif/gif_exception.h"
#include "gif/gif_image.h"
#include "tools/quillmere-gif/command_registry.h"

#include <QBuffer>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qm::tool {

namespace {

const char* const kOptimizeUsage =
    "optimize IN.gif OUT.gif [--steps LIST] [--merge-colormaps] [--allow-larger]";

struct OptimizeRequest {
    std::string input;
    std::string output;
    TGIFOptimizeOptions steps{TGIFOptimizeOption::ooCrop, TGIFOptimizeOption::ooMerge,
                              TGIFOptimizeOption::ooCleanup, TGIFOptimizeOption::ooColorMap};
    bool mergeColorMaps = false;
    // An optimized result larger than the input is written only when asked for; otherwise the
    // input is written as it was.
    bool keepSmaller = true;
};

// "crop,merge,cleanup,colormap" or any subset of them, in any order.
std::optional<TGIFOptimizeOptions> ParseSteps(const std::string& list) {
    std::uint8_t bits = 0;
    std::istringstream names(list);
    std::string name;
    while (std::getline(names, name, ',')) {
        static const std::pair<const char*, TGIFOptimizeOption> known[] = {
            {"crop", TGIFOptimizeOption::ooCrop},
            {"merge", TGIFOptimizeOption::ooMerge},
            {"cleanup", TGIFOptimizeOption::ooCleanup},
            {"colormap", TGIFOptimizeOption::ooColorMap}};
        const auto found = std::find_if(std::begin(known), std::end(known),
                                        [&name](const auto& entry) { return name == entry.first; });
        if (found == std::end(known))
            return std::nullopt;
        bits = static_cast<std::uint8_t>(bits | TGIFOptimizeOptions{found->second}.Value());
    }
    return TGIFOptimizeOptions(bits);
}

std::optional<OptimizeRequest> ParseOptimize(const std::vector<std::string>& args) {
    OptimizeRequest request;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--merge-colormaps") {
            request.mergeColorMaps = true;
        } else if (args[i] == "--allow-larger") {
            request.keepSmaller = false;
        } else if (args[i] == "--keep-smaller") {
            // The default now; still accepted from scripts that asked for it.
        } else if (args[i] == "--steps" && i + 1 < args.size()) {
            const auto steps = ParseSteps(args[++i]);
            if (!steps)
                return std::nullopt;
            request.steps = *steps;
        } else if (args[i].rfind("--", 0) == 0) {
            return std::nullopt;
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2)
        return std::nullopt;
    request.input = files[0];
    request.output = files[1];
    return request;
}

void PrintWarning(const std::string& message) {
    std::fprintf(stderr, "quillmere-gif: warning: %s\n", message.c_str());
}

QByteArray ReadWhole(const std::string& path) {
    QByteArray bytes;
    LoadFromFileWith(QString::fromStdString(path), [&bytes](QIODevice& in) { bytes = in.readAll(); });
    return bytes;
}

int RunOptimize(const std::vector<std::string>& args) {
    const std::optional<OptimizeRequest> request = ParseOptimize(args);
    if (!request) {
        std::fprintf(stderr, "usage: quillmere-gif %s\n", kOptimizeUsage);
        return ExitUsage;
    }
    try {
        const QByteArray input = ReadWhole(request->input);
        TGIFImage image;
        image.OnWarning = [](const TPersistent&, TGIFSeverity, const std::string& message) {
            PrintWarning(message);
        };
        QBuffer source;
        source.setData(input);
        source.open(QIODevice::ReadOnly);
        image.LoadFromStream(source);
        const int framesBefore = image.Images().Count();
        image.Optimize(request->steps, TColorReduction::rmNone, TDitherMode::dmNearest, 8);
        if (request->mergeColorMaps) {
            if (const int lost = image.OptimizeColorMap(); lost > 0)
                PrintWarning(
                    std::to_string(lost) +
                    " colours found no room in the merged colour table and show as the nearest kept colour");
        }
        QBuffer optimized;
        optimized.open(QIODevice::WriteOnly);
        image.SaveToStream(optimized);
        const bool keepInput = request->keepSmaller && optimized.data().size() > input.size();
        const QByteArray& written = keepInput ? input : optimized.data();
        SaveToFileWith(QString::fromStdString(request->output), [&written](QIODevice& out) {
            if (out.write(written) != written.size())
                throw GIFException("Cannot write the optimized image");
        });
        std::printf("%lld\t%lld\t%d\t%d\n", static_cast<long long>(input.size()),
                    static_cast<long long>(written.size()), framesBefore,
                    keepInput ? framesBefore : image.Images().Count());
        return ExitOk;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillmere-gif: %s\n", e.what());
        return ExitFailure;
    }
}

const RegisterCommand
    optimizeCommand("optimize", {kOptimizeUsage,
                                 "make a GIF smaller without changing how it looks (never larger than IN "
                                 "unless --allow-larger); prints IN and OUT bytes, frames before and after",
                                 RunOptimize});

} // namespace
} // namespace qm::tool
