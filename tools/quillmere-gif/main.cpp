// quillmere-gif: command-line front end of the GIF codec and colour processing.
#include "tools/quillmere-gif/command_registry.h"

#include <QCoreApplication>
#include <cstdio>

namespace qm::tool {

std::map<QString, Command>& Commands() {
    static std::map<QString, Command> table;
    return table;
}

namespace {

QString Overview() {
    std::vector<const TCommandSpec*> specs;
    for (const auto& [name, command] : Commands())
        specs.push_back(&command.spec);
    return CommandOverview(kProgram, {}, specs);
}

void Print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

int UnknownCommand(const QString& name) {
    PrintCommandError(kProgram, QStringLiteral("unknown command '%1'").arg(name));
    Print(stderr, Overview());
    return kExitUsage;
}

int Run(const QStringList& args) {
    if (args.isEmpty()) {
        Print(stderr, Overview());
        return kExitUsage;
    }
    const QString& first = args.front();
    if (first == QLatin1String("--version")) {
        std::printf("quillmere-gif %s\n", QM_VERSION);
        return kExitOk;
    }
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        if (args.size() < 2) {
            Print(stdout, Overview());
            return kExitOk;
        }
        const auto found = Commands().find(args[1]);
        if (found == Commands().end())
            return UnknownCommand(args[1]);
        Print(stdout, found->second.spec.Help());
        return kExitOk;
    }
    const auto found = Commands().find(first);
    if (found == Commands().end())
        return UnknownCommand(first);
    const TParsedCommand parsed = ParseCommand(found->second.spec, args.mid(1));
    return parsed.arguments ? found->second.run(*parsed.arguments) : parsed.exitCode;
}

} // namespace
} // namespace qm::tool

int main(int argc, char** argv) {
    const QCoreApplication app(argc, argv);
    return qm::tool::Run(QCoreApplication::arguments().mid(1));
}
