#pragma once
// The program's command line: --help, --version, --desktop and the commands that work on the
// catalogue of the current folder without a window (import-jet, export, import, scan, find,
// verify). Each command
// lives in a file of its own; this header is what they share.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace qm {

class TSQLiteConnection;

// Exit codes of the commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// The exit code when the command line names a command, which has then run; nothing when the
// program is to open its window (after --desktop has changed into the user's data folder).
std::optional<int> RunCommandLine(int argc, char** argv);

int RunImportJetCommand(const QStringList& arguments);
int RunJetChildCommand(const QString& command, const QStringList& arguments);
int RunExportCommand(const QStringList& arguments);
int RunImportCommand(const QStringList& arguments);
int RunScanCommand(const QStringList& arguments);
int RunFindCommand(const QStringList& arguments);
int RunVerifyCommand(const QStringList& arguments);
// The report needs fonts and painting, so it makes its own application object from the arguments.
int RunReportCommand(int argc, char** argv);

// "quillmere: <text>" on the standard error.
void PrintError(const QString& text);
// Refuses a wrong use of a command; returns kExitUsage.
int UsageError(const QString& text);
// One line per table, "SOFTWARE: 40 rows", on the standard output.
void PrintCounts(const std::vector<std::pair<QString, qint64>>& counts);

// The catalogue file every command works on, in the current folder.
inline const QString kCatalogueFile = QStringLiteral("swdb.mdb");

// [--format NAME] (or --format=NAME) among the plain arguments of `command`, the formats known by
// `named` and listed by `choices` ("csv nor json"): the format given last, if any, and the plain
// arguments; an empty optional after a usage error has been printed.
template <class Format>
std::optional<std::pair<std::optional<Format>, QStringList>>
ParseFormatArguments(const QString& command, const QStringList& arguments,
                     std::optional<Format> (*named)(const QString&), const char* choices) {
    std::pair<std::optional<Format>, QStringList> parsed;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString value;
        if (arguments[i] == QLatin1String("--format") && i + 1 < arguments.size())
            value = arguments[++i];
        else if (arguments[i].startsWith(QLatin1String("--format=")))
            value = arguments[i].mid(9);
        else if (arguments[i].startsWith(QLatin1String("--"))) {
            UsageError(QStringLiteral("%1 does not know the option '%2'").arg(command, arguments[i]));
            return std::nullopt;
        } else {
            parsed.second << arguments[i];
            continue;
        }
        parsed.first = named(value);
        if (!parsed.first) {
            UsageError(QStringLiteral("the format '%1' is neither %2").arg(value, QLatin1String(choices)));
            return std::nullopt;
        }
    }
    return parsed;
}

// The current folder's catalogue opened for reading; raises qm::Exception when there is none, or
// when the file is a Jet database or not a catalogue.
std::unique_ptr<TSQLiteConnection> OpenExistingCatalogue();

} // namespace qm
