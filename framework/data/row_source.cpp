#include "framework/data/row_source.h"

#include "framework/core/exceptions.h"
#include "framework/data/query_plan.h"

#include <algorithm>

namespace qm {

namespace {

// A screen of a grid is some 40 rows; a page of 64 covers it, and a handful of pages lets a user
// scroll back and forth without reading rows again, while the memory stays small.
constexpr int kPageRows = 64;
constexpr size_t kMaxCachedRows = 16 * kPageRows;

TRow ReadRow(const TSQLiteStatement& statement, int fieldCount) {
    TRow row;
    row.reserve(static_cast<size_t>(fieldCount));
    for (int i = 0; i < fieldCount; ++i)
        row.push_back(statement.Column(i));
    return row;
}

} // namespace

TKeyedRows::TKeyedRows(TSQLiteConnection& connection, const TQueryPlan& plan, const QString& keysStatement)
    : rowStatement_(connection.Prepare(plan.RowStatement())),
      fieldCount_(static_cast<int>(plan.FieldNames().size())) {
    TSQLiteStatement keys = connection.Prepare(keysStatement);
    while (keys.Step())
        keys_.push_back(keys.ColumnInt64(0));
    keys_.shrink_to_fit();
}

QVariant TKeyedRows::Value(int row, int field) {
    return RowAt(row)[static_cast<size_t>(field)];
}

const TRow& TKeyedRows::RowAt(int row) {
    auto found = cache_.find(Key(row));
    if (found == cache_.end()) {
        FetchPage(row / kPageRows);
        found = cache_.find(Key(row));
    }
    return found->second;
}

void TKeyedRows::FetchPage(int page) {
    if (cache_.size() + kPageRows > kMaxCachedRows)
        cache_.clear();
    const int first = page * kPageRows;
    const int last = std::min(Count(), first + kPageRows);
    for (int row = first; row < last; ++row) {
        const qint64 key = Key(row);
        rowStatement_.BindInt64(1, key);
        // A row deleted through another connection since the snapshot reads as empty.
        cache_[key] = rowStatement_.Step() ? ReadRow(rowStatement_, fieldCount_)
                                           : TRow(static_cast<size_t>(fieldCount_));
        rowStatement_.Reset();
    }
}

void TKeyedRows::InsertKey(int row, qint64 key) {
    keys_.insert(keys_.begin() + row, key);
    cache_.erase(key);
}

void TKeyedRows::Remove(int row) {
    cache_.erase(Key(row));
    keys_.erase(keys_.begin() + row);
}

void TKeyedRows::Refresh(int row) {
    cache_.erase(Key(row));
}

TMaterializedRows::TMaterializedRows(TSQLiteStatement& statement) {
    while (statement.Step())
        rows_.push_back(ReadRow(statement, statement.ColumnCount()));
    statement.Reset();
}

qint64 TMaterializedRows::Key(int) const {
    throw EDatabaseError("This result cannot be modified");
}

void TMaterializedRows::InsertKey(int, qint64) {
    throw EDatabaseError("This result cannot be modified");
}

void TMaterializedRows::Remove(int) {
    throw EDatabaseError("This result cannot be modified");
}

} // namespace qm
