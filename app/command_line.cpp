#include "app/command_line.h"

#include "app/jet_conversion.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

namespace qm {

namespace {

const char kHelp[] =
    "usage: quillmere [COMMAND]\n"
    "\n"
    "Without a command, opens the software catalogue swdb.mdb of the current folder in the main\n"
    "window, creating it when missing. A catalogue kept in the older Jet format is offered for\n"
    "conversion first.\n"
    "\n"
    "commands:\n"
    "  import-jet [--replace] OLD.mdb     convert the Jet catalogue OLD.mdb into swdb.mdb here;\n"
    "                                     --replace puts it in place of an existing swdb.mdb\n"
    "  export [--format csv|json] [OUTDIR]\n"
    "                                     write the four tables into OUTDIR (default: here); CSV\n"
    "                                     is one file per table, JSON one catalogue.json\n"
    "  import [--format csv|json] DIR     read the four tables from DIR into an empty catalogue\n"
    "  scan [--name NAME] [--cd ID] [--software] SOURCE\n"
    "                                     record the files of a folder or ISO image as a new CD\n"
    "                                     (--cd: replace that CD's files; --software: add the\n"
    "                                     disc's autorun.inf program as a Software entry)\n"
    "  find TEXT                          list CD, path and size of every file whose path holds TEXT\n"
    "  verify --cd ID SOURCE              compare a folder or image with the CD's recorded files;\n"
    "                                     exit 1 when they differ, 2 when it cannot be read\n"
    "  --desktop                          open the catalogue kept in $XDG_DATA_HOME/quillmere\n"
    "                                     (how the desktop entry starts the program)\n"
    "  --help                             show this text\n"
    "  --version                          show the version\n";

// The folder the desktop entry keeps the catalogue in, made when missing.
bool ChangeIntoDataFolder() {
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    const QString folder = base + QStringLiteral("/quillmere");
    if (!QDir().mkpath(folder) || !QDir::setCurrent(folder)) {
        PrintError(QStringLiteral("the data folder '%1' cannot be made or entered").arg(folder));
        return false;
    }
    return true;
}

int RunCommand(const QString& command, const QStringList& arguments) {
    if (command == QLatin1String("import-jet"))
        return RunImportJetCommand(arguments);
    if (command == QLatin1String("export"))
        return RunExportCommand(arguments);
    if (command == QLatin1String("import"))
        return RunImportCommand(arguments);
    if (command == QLatin1String("scan"))
        return RunScanCommand(arguments);
    if (command == QLatin1String("find"))
        return RunFindCommand(arguments);
    if (command == QLatin1String("verify"))
        return RunVerifyCommand(arguments);
    if (command == QLatin1String(kJetCheckCommand) || command == QLatin1String(kJetConvertCommand))
        return RunJetChildCommand(command, arguments);
    std::fputs(kHelp, stderr);
    return UsageError(QStringLiteral("unknown command '%1'").arg(command));
}

} // namespace

void PrintError(const QString& text) {
    std::fprintf(stderr, "quillmere: %s\n", text.toLocal8Bit().constData());
}

int UsageError(const QString& text) {
    PrintError(text + QStringLiteral(" (see quillmere --help)"));
    return kExitUsage;
}

void PrintCounts(const std::vector<std::pair<QString, qint64>>& counts) {
    for (const auto& [table, rows] : counts)
        std::printf("%s: %lld %s\n", table.toUtf8().constData(), static_cast<long long>(rows),
                    rows == 1 ? "row" : "rows");
}

std::optional<int> RunCommandLine(int argc, char** argv) {
    if (argc < 2)
        return std::nullopt;
    const QString first = QString::fromLocal8Bit(argv[1]);
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) {
        std::fputs(kHelp, stdout);
        return kExitOk;
    }
    if (first == QLatin1String("--version")) {
        std::printf("quillmere %s\n", QM_VERSION);
        return kExitOk;
    }
    if (first == QLatin1String("--desktop")) {
        if (!ChangeIntoDataFolder())
            return kExitFailed;
        return std::nullopt;
    }
    // Options of the toolkit itself ("-platform xcb") go on to the window.
    if (first.startsWith(u'-') && !first.startsWith(QLatin1String("--")))
        return std::nullopt;
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(2);
    return RunCommand(first, arguments);
}

} // namespace qm
