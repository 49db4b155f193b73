#pragma once
// The catalogue report without a window: the Software rows of one statement grouped by the CD that
// holds them, and the totals of its first page (which Help → Statistics shows too). Rows are kept
// as IDs only and read one at a time, so a large catalogue costs eight bytes an entry until a
// writer asks for the entry itself.

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace qm {

class TSQLiteConnection;
class TSQLiteStatement;

// What the window's statement shows when the report covers everything.
inline const QString kWholeCatalogueStatement = QStringLiteral("SELECT * FROM SOFTWARE ORDER BY ID ASC");

// One software entry as the report prints it; names stand for the IDs they are looked up from.
struct TReportEntry {
    qint64 id = 0;
    QString name;
    QString category;
    QString type;
    QString keywords;
    QString description;
    QString path;
};

// The entries of one CD, in the order the statement gave them.
struct TReportGroup {
    QString title;
    std::vector<qint64> entryIds;
};

// Entries counted under one CD, category or type. Files and bytes are those of a scanned disc,
// and stay empty where no scan recorded any.
struct TNamedCount {
    QString name;
    qint64 entries = 0;
    std::optional<qint64> files;
    std::optional<qint64> bytes;
};

struct TReportTotals {
    qint64 entries = 0;
    qint64 withoutPicture = 0;
    qint64 withoutDescription = 0;
    std::vector<TNamedCount> perCD;
    std::vector<TNamedCount> perCategory;
    std::vector<TNamedCount> perType;
    // Whether the catalogue holds the disc tables of a scan, so the CD totals carry files and bytes.
    bool discsScanned = false;
};

class TReportModel {
public:
    // Runs `softwareStatement` (a SELECT over SOFTWARE as the main window builds it) once on
    // `connection`, which must outlive the model. Engine errors raise EDatabaseError.
    TReportModel(TSQLiteConnection& connection, const QString& softwareStatement);
    ~TReportModel();
    TReportModel(const TReportModel&) = delete;
    TReportModel& operator=(const TReportModel&) = delete;

    // CDs by name (a CD's own order), then IDs that name no CD, then entries without a CD.
    const std::vector<TReportGroup>& Groups() const { return groups_; }
    const TReportTotals& Totals() const { return totals_; }
    // Reads the entry anew; an ID deleted since the statement ran gives an entry with its ID only.
    TReportEntry Entry(qint64 id);

private:
    TSQLiteConnection& connection_;
    std::vector<TReportGroup> groups_;
    TReportTotals totals_;
    std::vector<std::pair<qint64, QString>> categories_;
    std::vector<std::pair<qint64, QString>> types_;
    std::unique_ptr<TSQLiteStatement> entryStatement_;
};

} // namespace qm
