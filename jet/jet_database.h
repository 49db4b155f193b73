#pragma once
// TJetDatabase: the tables of a Jet database file (Jet 3 and Jet 4), read through mdbtools' libmdb.
// Texts come out as Unicode whatever the file's version stores (code page bytes, compressed or
// plain UTF-16); an empty text stays apart from NULL; memos are read whole, however long.

#include "jet/table_source.h"

#include <memory>

namespace qm {

// Raised for a file that is not a Jet database or cannot be read; the text names the file.
class EJetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TJetColumn {
    QString name;
    QString typeName; // as the file declares it: "Long Integer", "Text", "Memo", ...
    int size = 0;     // bytes of a fixed column, the declared length of a text
};

// True when the file starts as a Jet or ACE database does; nothing else is read.
bool LooksLikeJetFile(const QString& fileName);

class TJetDatabase : public TTableSource {
public:
    explicit TJetDatabase(const QString& fileName);
    ~TJetDatabase() override;
    TJetDatabase(const TJetDatabase&) = delete;
    TJetDatabase& operator=(const TJetDatabase&) = delete;

    QString FileName() const { return fileName_; }
    QString FormatName() const; // "Jet 3", "Jet 4", "ACE 12" ...

    QStringList TableNames() const override;
    QStringList ColumnNames(const QString& table) const override;
    qint64 RowCount(const QString& table) const override;
    void ReadRows(const QString& table, const std::function<void(const TSourceRow&)>& onRow) const override;

    std::vector<TJetColumn> Columns(const QString& table) const;

private:
    struct TTable;
    std::unique_ptr<TTable> OpenTable(const QString& table) const;

    QString fileName_;
    struct THandle;
    std::unique_ptr<THandle> handle_;
};

} // namespace qm
