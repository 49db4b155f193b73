#pragma once
// The program's command line: --help, --version, --desktop and the commands that work on the
// catalogue of the current folder without a window (import-jet, export, import, scan, find,
// verify). Each command
// lives in a file of its own; this header is what they share.

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace qm {

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

// "quillmere: <text>" on the standard error.
void PrintError(const QString& text);
// Refuses a wrong use of a command; returns kExitUsage.
int UsageError(const QString& text);
// One line per table, "SOFTWARE: 40 rows", on the standard output.
void PrintCounts(const std::vector<std::pair<QString, qint64>>& counts);

// The catalogue file every command works on, in the current folder.
inline const QString kCatalogueFile = QStringLiteral("swdb.mdb");

} // namespace qm
