#include "app/command_line.h"

#include "app/jet_conversion.h"
#include "catalogue/report/report_writers.h"
#include "catalogue/transfer/catalogue_transfer.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <functional>
#include <limits>

namespace qm {

namespace {

const QString kProgram = QStringLiteral("quillmere");

const QString kIntroduction = QStringLiteral(
    "Without a command, opens the software catalogue swdb.mdb of the current folder in the main\n"
    "window, creating it when missing. A catalogue kept in the older Jet format is offered for\n"
    "conversion first.\n"
    "\n"
    "  --desktop    open the catalogue kept in $XDG_DATA_HOME/quillmere (how the desktop entry\n"
    "               starts the program)\n"
    "  --help       show this text\n"
    "  --version    show the version");

struct TCommand {
    TCommandSpec spec;
    std::function<int(const TCommandArguments&)> run;
    bool paints = false; // needs fonts and painting: runs under an off-screen GUI application
};

TCommandOption FormatOption(const QString& description, const QString& defaultValue,
                            std::vector<TChoiceValue> formats) {
    return ChoiceOption(QStringLiteral("format"), QStringLiteral("FORMAT"), description, defaultValue,
                        std::move(formats));
}

TCommandOption TransferFormat() {
    return FormatOption(QStringLiteral("CSV is one file per table, JSON one catalogue.json"),
                        QStringLiteral("csv"),
                        {{static_cast<int>(TTransferFormat::tfCsv), {QStringLiteral("csv")}},
                         {static_cast<int>(TTransferFormat::tfJson), {QStringLiteral("json")}}});
}

TCommandOption CdOption(const QString& description) {
    return NumberOption(QStringLiteral("cd"), QStringLiteral("ID"), description, {}, 1,
                        std::numeric_limits<qint64>::max());
}

TCommand Command(const QString& name, const QString& operands, const QString& summary,
                 std::vector<TCommandOption> options, std::function<int(const TCommandArguments&)> run) {
    return {{kProgram, name, operands, summary, std::move(options)}, std::move(run)};
}

const std::vector<TCommand>& Commands() {
    static const std::vector<TCommand> commands = [] {
        std::vector<TCommand> list{
            Command(QStringLiteral("import-jet"), QStringLiteral("OLD.mdb"),
                    QStringLiteral("convert the Jet catalogue OLD.mdb into swdb.mdb here"),
                    {FlagOption(QStringLiteral("replace"),
                                QStringLiteral("put it in place of an existing swdb.mdb, "
                                               "which is kept"))},
                    RunImportJetCommand),
            Command(QStringLiteral("export"), QStringLiteral("[OUTDIR]"),
                    QStringLiteral("write the four tables into OUTDIR (default: here)"), {TransferFormat()},
                    RunExportCommand),
            Command(QStringLiteral("import"), QStringLiteral("DIR"),
                    QStringLiteral("read the four tables from DIR into an empty catalogue"),
                    {TransferFormat()}, RunImportCommand),
            Command(QStringLiteral("scan"), QStringLiteral("SOURCE"),
                    QStringLiteral("record the files of a folder or ISO image as a new CD"),
                    {ValueOption(QStringLiteral("name"), QStringLiteral("NAME"),
                                 QStringLiteral("the CD's name (default: the volume label)")),
                     CdOption(QStringLiteral("replace the files of this CD instead")),
                     FlagOption(QStringLiteral("software"),
                                QStringLiteral("add the disc's autorun.inf program as a Software entry"))},
                    RunScanCommand),
            Command(QStringLiteral("find"), QStringLiteral("TEXT"),
                    QStringLiteral("list CD, path and size of every file whose path holds TEXT"), {},
                    RunFindCommand),
            Command(QStringLiteral("verify"), QStringLiteral("SOURCE"),
                    QStringLiteral("compare a folder or image with the CD's recorded files; exit 1 when they "
                                   "differ, 2 when it cannot be read"),
                    {Required(CdOption(QStringLiteral("the CD to compare with")))}, RunVerifyCommand),
            Command(QStringLiteral("report"), QStringLiteral("OUT"),
                    QStringLiteral("write the report of the whole catalogue (totals, then every entry by CD) "
                                   "into OUT"),
                    {FormatOption(QStringLiteral("the kind of file to write"),
                                  QStringLiteral("OUT's extension, else pdf"),
                                  {{static_cast<int>(TReportFormat::rfPdf), {QStringLiteral("pdf")}},
                                   {static_cast<int>(TReportFormat::rfHtml), {QStringLiteral("html")}}})},
                    RunReportCommand),
        };
        list.back().paints = true;
        return list;
    }();
    return commands;
}

const TCommand* FindCommand(const QString& name) {
    for (const TCommand& command : Commands())
        if (command.spec.name == name)
            return &command;
    return nullptr;
}

QString Overview() {
    std::vector<const TCommandSpec*> specs;
    for (const TCommand& command : Commands())
        specs.push_back(&command.spec);
    return CommandOverview(kProgram, kIntroduction, specs);
}

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

int UnknownCommand(const QString& name) {
    std::fputs(Overview().toLocal8Bit().constData(), stderr);
    PrintError(QStringLiteral("unknown command '%1'").arg(name));
    return kExitUsage;
}

// `help` or `help COMMAND`.
int RunHelp(const QStringList& arguments) {
    if (arguments.isEmpty()) {
        std::fputs(Overview().toLocal8Bit().constData(), stdout);
        return kExitOk;
    }
    const TCommand* command = FindCommand(arguments.front());
    if (command == nullptr)
        return UnknownCommand(arguments.front());
    std::fputs(command->spec.Help().toLocal8Bit().constData(), stdout);
    return kExitOk;
}

int RunCommand(const TCommand& command, int argc, char** argv) {
    // Painting text needs a platform with fonts, not a screen: the report is made off screen
    // whatever display there is or is not.
    if (command.paints)
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> application =
        command.paints ? std::make_unique<QGuiApplication>(argc, argv)
                       : std::make_unique<QCoreApplication>(argc, argv);
    const TParsedCommand parsed = ParseCommand(command.spec, QCoreApplication::arguments().mid(2));
    return parsed.arguments ? command.run(*parsed.arguments) : parsed.exitCode;
}

} // namespace

void PrintError(const QString& text) {
    PrintCommandError(kProgram, text);
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
        std::fputs(Overview().toLocal8Bit().constData(), stdout);
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
    if (const TCommand* command = FindCommand(first))
        return RunCommand(*command, argc, argv);
    const QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(2);
    if (first == QLatin1String("help"))
        return RunHelp(arguments);
    if (first == QLatin1String(kJetCheckCommand) || first == QLatin1String(kJetConvertCommand))
        return RunJetChildCommand(first, arguments);
    return UnknownCommand(first);
}

} // namespace qm
