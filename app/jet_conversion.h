#pragma once
// Converting a Jet catalogue into a new catalogue file. libmdb is not made for hostile files, so
// the file is read by a separate process (the program itself, started with an internal command):
// a damaged file that throws it off ends in a message here, never in a crash of the caller.

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

namespace qm {

// Rows written per table, in the order the tables were written.
using TConversionCounts = std::vector<std::pair<QString, qint64>>;

// The internal commands of the reading process, and what it reports on its standard output:
// one line per event, fields separated by tabs.
inline constexpr char kJetCheckCommand[] = "--jet-check-child";
inline constexpr char kJetConvertCommand[] = "--jet-convert-child";

// Runs the reading process `program`. Empty when `jetFile` is a Jet database with the four
// catalogue tables; otherwise why it is not one, or why it cannot be read.
QString JetCatalogueProblem(const QString& program, const QString& jetFile);

// Writes every row of `jetFile` into the new catalogue file `newFile` (which must not exist),
// reporting progress lines ("SOFTWARE: 10000 of 100000 rows") to `progress`. Raises
// qm::Exception with the reason when it fails; `newFile` is then not left behind.
TConversionCounts ConvertJetCatalogue(const QString& program, const QString& jetFile, const QString& newFile,
                                      const std::function<void(const QString& line)>& progress);

// A free name for keeping the Jet original beside `databaseFile`: "swdb.mdb.jet", else
// "swdb.mdb.2.jet", "swdb.mdb.3.jet", ...
QString FreeJetKeepName(const QString& databaseFile);

// Puts a finished file in place of `target` in one step and makes the rename durable.
void ReplaceFile(const QString& finished, const QString& target);

// A name in the folder of `databaseFile` for the catalogue being written, unique to this process.
QString ConversionFileName(const QString& databaseFile);

} // namespace qm
