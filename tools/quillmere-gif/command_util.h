#pragma once
// What every subcommand of quillmere-gif does the same way: the usage message, turning an error
// into a message and exit code, and loading a GIF file with its warnings shown.

#include "gif/gif_image.h"
#include "tools/quillmere-gif/command_registry.h"

#include <cstdio>
#include <exception>
#include <string>

namespace qm::tool {

inline int UsageError(const Command& command) {
    std::fprintf(stderr, "usage: quillmere-gif %s\n", command.usage.c_str());
    return ExitUsage;
}

// Runs `body` and turns whatever it raises into the tool's message and exit code.
template <class F> int Guarded(F&& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillmere-gif: %s\n", e.what());
        return ExitFailure;
    }
}

// Loads `path`, printing every warning as it comes.
inline void Load(TGIFImage& image, const std::string& path) {
    image.OnWarning = [](const TPersistent&, TGIFSeverity, const std::string& message) {
        std::fprintf(stderr, "quillmere-gif: warning: %s\n", message.c_str());
    };
    image.LoadFromFile(QString::fromStdString(path));
}

} // namespace qm::tool
