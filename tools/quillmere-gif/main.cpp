// quillmere-gif: command-line front end of the GIF codec and colour processing.
#include "tools/quillmere-gif/command_registry.h"

#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <vector>

namespace qm::tool {

std::map<std::string, Command>& Commands() {
    static std::map<std::string, Command> table;
    return table;
}

namespace {

void PrintHelp(std::FILE* out) {
    std::fprintf(out, "usage: quillmere-gif COMMAND [ARGS]\n\ncommands:\n");
    for (const auto& [name, command] : Commands())
        std::fprintf(out, "  %-48s %s\n", command.usage.c_str(), command.summary.c_str());
}

} // namespace
} // namespace qm::tool

int main(int argc, char** argv) {
    using namespace qm::tool;
    QCoreApplication app(argc, argv);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintHelp(stderr);
        return ExitUsage;
    }
    if (args[0] == "--version") {
        std::printf("quillmere-gif %s\n", QM_VERSION);
        return ExitOk;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(stdout);
        return ExitOk;
    }
    const auto found = Commands().find(args[0]);
    if (found == Commands().end()) {
        std::fprintf(stderr, "quillmere-gif: unknown command '%s'\n", args[0].c_str());
        PrintHelp(stderr);
        return ExitUsage;
    }
    args.erase(args.begin());
    return found->second.run(args);
}
