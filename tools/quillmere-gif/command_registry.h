#pragma once
// Subcommands of quillmere-gif register themselves here, each from its own source file, so that
// the codec's and the colour processing's commands live beside each other without one file
// knowing the other. A command is its description (operands, options, their values) and the work
// it does with the arguments once they were accepted.

#include "framework/core/command_options.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace qm::tool {

inline const QString kProgram = QStringLiteral("quillmere-gif");

struct Command {
    TCommandSpec spec;
    std::function<int(const TCommandArguments& arguments)> run;
};

std::map<QString, Command>& Commands();

struct RegisterCommand {
    RegisterCommand(const QString& name, const QString& operands, const QString& summary,
                    std::vector<TCommandOption> options,
                    std::function<int(const TCommandArguments& arguments)> run) {
        Commands()[name] = {{kProgram, name, operands, summary, std::move(options)}, std::move(run)};
    }
};

} // namespace qm::tool
