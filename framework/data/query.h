#pragma once
// TQuery: a dataset over one SQLite connection of its own. Opening runs the statement once to
// take a snapshot of the result's keys (rowids); row data is read lazily in pages for the rows
// that are looked at, so a result of a million rows costs a million keys, not a million rows.

#include "framework/data/sqlite_connection.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace qm {

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// How a post or delete finds its row in the table: by key alone, by key and the changed
// columns' old values, or by key and every column's old value.
enum class TUpdateCriteria { ucKeyOnly, ucWhereChanged, ucWhereAll };

class TChangeHistory;
class TQueryPlan;
class TRowSource;

class TQuery : public QObject {
    Q_OBJECT
public:
    // `databaseFile` is the file the query's own connection opens (on the first Open).
    explicit TQuery(QString databaseFile, QObject* parent = nullptr);
    ~TQuery() override;

    QString DatabaseFile() const { return databaseFile_; }
    QString SQL() const { return sql_; }
    void SetSQL(const QString& sql); // closes the query first

    // Runs the statement; the first row is then current. A statement the engine rejects raises
    // EDatabaseError with the engine's text and leaves the query closed.
    void Open();
    void Close();
    // Runs the statement again and stays on the same row number where the result still has it.
    void Requery();
    bool Active() const { return state_ != TDataSetState::dsInactive; }
    TDataSetState State() const { return state_; }

    int RecordCount() const; // rows in the result, without a row being inserted
    int RecNo() const { return recNo_; }
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    void First();
    void Last();
    void Next();
    void Prior();
    void MoveBy(int distance);
    void MoveTo(int row);

    int FieldCount() const;
    QString FieldName(int field) const;
    int FieldIndex(const QString& name) const; // -1 when the result has no such column
    // The current row's value (the edit buffer while editing). A field of an empty or closed
    // result is a null QVariant, which reads as 0 and "".
    QVariant Field(int field) const;
    QVariant FieldByName(const QString& name) const;
    // Any row's value without moving the current row (what grids draw).
    QVariant Value(int row, int field) const;
    bool CanModify() const; // a single table with its key in the result
    bool IsKeyField(int field) const;

    void Edit();
    void Insert(); // a new row before the current one
    void Append(); // a new row after the last one
    void SetFieldValue(const QString& name, const QVariant& value);
    // An integer column takes a whole number, or NULL for an empty text; other text is kept as
    // typed so that it can be corrected, and Post refuses it.
    void SetField(int field, const QVariant& value);
    // Asks the data-aware controls for what they hold typed (updateRecord), then writes the row
    // being edited or inserted in one transaction. A refused row stays in edit mode.
    void Post();
    void Cancel();
    void Delete(); // one transaction
    // Rows shown while inserting: RecordCount() plus the new row.
    int DisplayRowCount() const;
    // Whether a field of the row being edited or inserted has been given a value.
    bool Modified() const;
    int InsertRow() const { return state_ == TDataSetState::dsInsert ? recNo_ : -1; }

    void SetUpdateCriteria(TUpdateCriteria criteria) { criteria_ = criteria; }
    TUpdateCriteria UpdateCriteria() const { return criteria_; }

    std::function<void(TQuery&)> BeforePost;
    std::function<void(TQuery&)> BeforeDelete;
    std::function<void(TQuery&)> AfterInsert;
    std::function<void(TQuery&)> AfterPost;
    std::function<void(TQuery&)> AfterDelete;
    std::function<void(TQuery&)> AfterScroll;
    // For a statement over one table's rows, about to be opened on `connection`: a statement that
    // yields the same keys in the same order sooner (by indexes the owner keeps), or nothing to
    // take the keys from the statement itself. Only the keys are taken from it.
    std::function<std::optional<QString>(TSQLiteConnection& connection, const QString& sql)> FasterKeys;
    // Where each post and delete is kept as a step that can be undone; none when null.
    TChangeHistory* History = nullptr;

signals:
    // Before a post: controls hand over text typed but not yet given to the row.
    void updateRecord();
    void dataReset();                            // opened, closed or re-queried
    void rowCountChanged();                      // a row inserted, cancelled or deleted
    void rowsChanged(int firstRow, int lastRow); // values of these rows changed
    void currentRowChanged(int row);
    void stateChanged();

private:
    void EnsureConnection();
    void RequireActive() const;
    void RequireEditing() const;
    void RequireWholeNumbers() const;
    void CheckBrowseMode(); // posts a pending edit before moving
    void ScrollTo(int row);
    void SetState(TDataSetState state);
    void BeginInsert(int row);
    qint64 WriteInsert();
    void WriteUpdate();
    void WriteDelete();
    // " AND column IS ?n" for the columns the update criteria compare; their old values are
    // appended to `values`, which holds the statement's earlier parameters.
    QString CriteriaCondition(bool deleting, std::vector<QVariant>& values) const;
    // Runs `write` in one transaction, kept in History as the step `step` when there is one.
    void WriteRecorded(const QString& step, const std::function<void()>& write);
    // "Delete 'Alpha'": the verb and the current row's name, or the table's when it has none.
    QString StepName(const QString& verb) const;
    // Runs one write with its parameters; returns the number of rows it changed.
    int Run(const QString& sql, const std::vector<QVariant>& values);
    void LeaveEditing();
    void SettleAfterRowRemoved();
    QVariant DisplayedValue(int row, int field) const;

    QString databaseFile_;
    QString sql_;
    std::unique_ptr<TSQLiteConnection> connection_;
    std::unique_ptr<TQueryPlan> plan_;
    std::unique_ptr<TRowSource> rows_;
    TDataSetState state_ = TDataSetState::dsInactive;
    TUpdateCriteria criteria_ = TUpdateCriteria::ucWhereChanged;
    int recNo_ = -1;
    bool eof_ = true;
    bool bof_ = true;
    std::vector<QVariant> buffer_;   // the row being edited or inserted
    std::vector<QVariant> original_; // its values when editing began
    std::vector<bool> modified_;
};

} // namespace qm
