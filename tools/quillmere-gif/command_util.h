#pragma once
// What every subcommand of quillmere-gif does the same way: turning an error into a message and
// exit code, and loading a GIF file with its warnings shown.

#include "gif/gif_image.h"
#include "tools/quillmere-gif/command_registry.h"

#include <cstdio>
#include <exception>
#include <functional>
#include <string>

namespace qm::tool {

// Runs `body` and turns whatever it raises into the tool's message and exit code.
template <class F> int Guarded(F&& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        PrintCommandError(kProgram, QString::fromStdString(e.what()));
        return kExitFailed;
    }
}

inline void PrintWarning(const std::string& message) {
    PrintCommandError(kProgram, QStringLiteral("warning: ") + QString::fromStdString(message));
}

// Loads `path`, handing every warning to `warn` as it comes.
inline void Load(TGIFImage& image, const QString& path,
                 std::function<void(const std::string&)> warn = PrintWarning) {
    image.OnWarning = [warn = std::move(warn)](const TPersistent&, TGIFSeverity, const std::string& message) {
        warn(message);
    };
    image.LoadFromFile(path);
}

} // namespace qm::tool
