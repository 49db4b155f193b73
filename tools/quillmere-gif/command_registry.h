#pragma once
// Subcommands of quillmere-gif register themselves here, each from its own source file, so that
// the codec's and the colour processing's commands live beside each other without one file
// knowing the other.

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qm::tool {

// Exit codes shared by every subcommand.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1; // the operation failed (a GIFException or other error)
inline constexpr int ExitUsage = 2;   // the arguments were wrong

struct Command {
    std::string usage;   // e.g. "info FILE"
    std::string summary; // one line for --help
    std::function<int(const std::vector<std::string>& args)> run;
};

std::map<std::string, Command>& Commands();

struct RegisterCommand {
    RegisterCommand(const std::string& name, Command command) { Commands()[name] = std::move(command); }
};

} // namespace qm::tool
