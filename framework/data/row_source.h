#pragma once
// Where a dataset's rows come from once it is open: a snapshot of keys with row data fetched
// lazily by key in pages (a table's rows), or the whole result held in memory (any other result,
// which cannot be written back anyway).

#include "framework/data/sqlite_connection.h"

#include <QVariant>
#include <optional>
#include <unordered_map>
#include <vector>

namespace qm {

class TQueryPlan;

using TRow = std::vector<QVariant>;

class TRowSource {
public:
    virtual ~TRowSource() = default;
    virtual int Count() const = 0;
    virtual QVariant Value(int row, int field) = 0;
    // Keys exist only for keyed sources.
    virtual qint64 Key(int row) const = 0;
    virtual void InsertKey(int row, qint64 key) = 0;
    virtual void Remove(int row) = 0;
    // Forgets what was read for this row, so that the next read sees the file.
    virtual void Refresh(int row) = 0;
};

class TKeyedRows : public TRowSource {
public:
    // `keysStatement` yields the result's keys in order.
    TKeyedRows(TSQLiteConnection& connection, const TQueryPlan& plan, const QString& keysStatement);
    int Count() const override { return static_cast<int>(keys_.size()); }
    QVariant Value(int row, int field) override;
    qint64 Key(int row) const override { return keys_[static_cast<size_t>(row)]; }
    void InsertKey(int row, qint64 key) override;
    void Remove(int row) override;
    void Refresh(int row) override;

private:
    const TRow& RowAt(int row);
    void FetchPage(int page);

    TSQLiteStatement rowStatement_;
    int fieldCount_;
    std::vector<qint64> keys_;
    std::unordered_map<qint64, TRow> cache_; // by key, at most a few pages
};

class TMaterializedRows : public TRowSource {
public:
    explicit TMaterializedRows(TSQLiteStatement& statement);
    int Count() const override { return static_cast<int>(rows_.size()); }
    QVariant Value(int row, int field) override {
        return rows_[static_cast<size_t>(row)][static_cast<size_t>(field)];
    }
    qint64 Key(int row) const override;
    void InsertKey(int row, qint64 key) override;
    void Remove(int row) override;
    void Refresh(int) override {}

private:
    std::vector<TRow> rows_;
};

} // namespace qm
