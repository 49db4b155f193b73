#pragma once
// The program's command line: --help, --version, --desktop and the commands that work on the
// catalogue of the current folder without a window (import-jet, export, import, scan, find,
// verify, report). Each command lives in a file of its own; their options are described in
// command_line.cpp, from where parsing and help take them; this header is what they share.

#include "framework/core/command_options.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace qm {

class TSQLiteConnection;

// The exit code when the command line names a command, which has then run; nothing when the
// program is to open its window (after --desktop has changed into the user's data folder).
std::optional<int> RunCommandLine(int argc, char** argv);

int RunImportJetCommand(const TCommandArguments& arguments);
int RunJetChildCommand(const QString& command, const QStringList& arguments);
int RunExportCommand(const TCommandArguments& arguments);
int RunImportCommand(const TCommandArguments& arguments);
int RunScanCommand(const TCommandArguments& arguments);
int RunFindCommand(const TCommandArguments& arguments);
int RunVerifyCommand(const TCommandArguments& arguments);
// Runs under an application object that can paint text (made off screen by RunCommandLine).
int RunReportCommand(const TCommandArguments& arguments);

// "quillmere: <text>" on the standard error.
void PrintError(const QString& text);
// One line per table, "SOFTWARE: 40 rows", on the standard output.
void PrintCounts(const std::vector<std::pair<QString, qint64>>& counts);

// The catalogue file every command works on, in the current folder.
inline const QString kCatalogueFile = QStringLiteral("swdb.mdb");

// The current folder's catalogue opened for reading; raises qm::Exception when there is none, or
// when the file is a Jet database or not a catalogue.
std::unique_ptr<TSQLiteConnection> OpenExistingCatalogue();

} // namespace qm
