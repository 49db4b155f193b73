#pragma once
// The catalogue's record of what is on its CDs: the tables DISCS (one row per scanned CD) and
// FILES (one row per regular file), filled by a scan, searched by FindFiles and compared with a
// disc again by VerifyDisc. Deleting a CD row deletes its DISCS and FILES rows with it.

#include "discs/disc_reading.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace qm {

class TSQLiteConnection;

// Creates the two tables, the index that finds a file by any part of its path, and the triggers
// that keep them in step with FILES and CD, where they are missing. Idempotent.
void CreateDiscTables(TSQLiteConnection& connection);
// The same on the catalogue file `fileName`, for the program and the commands that open it.
void PrepareDiscTables(const QString& fileName);

struct TScanRequest {
    QString source;
    QString name;           // the CD's name; empty: the disc's label
    qint64 cd = 0;          // an existing CD whose files the scan replaces; 0: a new CD
    bool software = false;  // make a Software entry from the disc's autorun.inf
    QString picturesFolder; // where the autorun icon goes ("pictures" beside the catalogue)
};

struct TScanResult {
    qint64 cd = 0;
    QString name;
    qint64 files = 0;
    qint64 bytes = 0;
    qint64 software = 0;  // the new Software entry, 0 when none was made
    QString softwareName; // the autorun label, also when no entry was asked for
    QByteArray icon;      // the autorun icon's bytes, empty when there is none
    QString picture;      // the picture path written for it, empty when none
};

// Reads the whole disc first and then writes everything in one transaction, so that a failed or
// cancelled scan (EAbort from the progress) leaves the catalogue as it was. Raises EDiscSource for
// a source that cannot be read, qm::Exception for a request that cannot be met.
TScanResult ScanDisc(TSQLiteConnection& connection, const TScanRequest& request,
                     const TDiscReadOptions& options = {});

// Makes the Software entry of the disc's autorun.inf for the scanned CD, its icon copied into
// `picturesFolder` as the entry's picture; fills result.software and result.picture.
void AddDiscSoftware(TSQLiteConnection& connection, TScanResult& result, const QString& picturesFolder);

struct TFoundFile {
    qint64 cd = 0;
    QString cdName;
    QString path;
    qint64 size = 0;
    QString modified;
};

// Files whose path contains `text`, ignoring case and accents; at most `limit` of them, in the
// order they were recorded.
std::vector<TFoundFile> FindFiles(TSQLiteConnection& connection, const QString& text, int limit);
// The key FILES are found by: the path without accents and case.
QString FoldedPath(const QString& text);
// Gives the paths that are not plain ASCII their key, after other programs (an import, the
// standard shell) wrote FILES with only the engine's ASCII folding. Nothing without FILES.
void RefoldPaths(TSQLiteConnection& connection);

enum class TDifferenceKind { dkChanged, dkMissing, dkAdded, dkUnreadable };
struct TDifference {
    TDifferenceKind kind;
    QString path;
};
QString DifferenceName(TDifferenceKind kind);

// Reads `source` again and compares it with the files recorded for `cd`, in path order. A source
// that breaks off part way makes the files not yet read unreadable; one that cannot be read at all
// raises EDiscSource.
std::vector<TDifference> VerifyDisc(TSQLiteConnection& connection, qint64 cd, const QString& source,
                                    const TDiscReadOptions& options = {});

// The CD's name, or an empty text when there is no CD with that ID.
QString CDName(TSQLiteConnection& connection, qint64 cd);

} // namespace qm
