#include "framework/data/query.h"

#include "framework/core/exceptions.h"
#include "framework/data/change_history.h"
#include "framework/data/query_plan.h"
#include "framework/data/row_source.h"

#include <algorithm>

namespace qm {

namespace {

QString WithoutTrailingSemicolons(QString sql) {
    sql = sql.trimmed();
    while (sql.endsWith(QLatin1Char(';')))
        sql = sql.chopped(1).trimmed();
    return sql;
}

[[noreturn]] void Fail(const QString& message) {
    throw EDatabaseError(message.toStdString());
}

// What an integer column is given: a whole number as such, nothing typed as NULL, and any other
// text as it was typed.
QVariant AsWholeNumber(const QVariant& value) {
    if (value.isNull())
        return {};
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return {};
    bool whole = false;
    const qlonglong number = text.toLongLong(&whole);
    return whole ? QVariant(number) : value;
}

bool IsWholeNumberOrNull(const QVariant& value) {
    return value.isNull() || value.typeId() == QMetaType::LongLong;
}

} // namespace

TQuery::TQuery(QString databaseFile, QObject* parent)
    : QObject(parent), databaseFile_(std::move(databaseFile)) {}

TQuery::~TQuery() = default;

void TQuery::SetSQL(const QString& sql) {
    Close();
    sql_ = sql;
}

void TQuery::EnsureConnection() {
    if (!connection_)
        connection_ = std::make_unique<TSQLiteConnection>(databaseFile_, TOpenMode::omReadWrite);
}

void TQuery::Open() {
    if (Active())
        return;
    EnsureConnection();
    const QString sql = WithoutTrailingSemicolons(sql_);
    TSQLiteStatement statement = connection_->Prepare(sql);
    if (statement.ColumnCount() == 0 || !statement.ReadOnly())
        Fail(QStringLiteral("The statement returns no rows to show: %1").arg(sql));
    auto plan = std::make_unique<TQueryPlan>(*connection_, sql, statement);
    std::unique_ptr<TRowSource> rows;
    if (plan->Keyed()) {
        const std::optional<QString> keys = FasterKeys ? FasterKeys(*connection_, sql) : std::nullopt;
        rows = std::make_unique<TKeyedRows>(*connection_, *plan, keys.value_or(plan->KeysStatement()));
    } else
        rows = std::make_unique<TMaterializedRows>(statement);
    plan_ = std::move(plan);
    rows_ = std::move(rows);
    recNo_ = rows_->Count() > 0 ? 0 : -1;
    bof_ = true;
    eof_ = rows_->Count() == 0;
    SetState(TDataSetState::dsBrowse);
    emit dataReset();
    emit currentRowChanged(recNo_);
    // Opening on no rows moves to no row: handlers of a row have nothing to show.
    if (AfterScroll && rows_->Count() > 0)
        AfterScroll(*this);
}

void TQuery::Close() {
    if (!Active())
        return;
    LeaveEditing();
    rows_.reset();
    plan_.reset();
    recNo_ = -1;
    bof_ = eof_ = true;
    SetState(TDataSetState::dsInactive);
    emit dataReset();
    emit currentRowChanged(-1);
}

void TQuery::Requery() {
    const int row = recNo_;
    Close();
    Open();
    if (row > 0 && RecordCount() > 0)
        MoveTo(row);
}

int TQuery::RecordCount() const {
    return rows_ ? rows_->Count() : 0;
}

int TQuery::DisplayRowCount() const {
    return RecordCount() + (state_ == TDataSetState::dsInsert ? 1 : 0);
}

void TQuery::RequireActive() const {
    if (!Active())
        Fail(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TQuery::RequireEditing() const {
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        Fail(QStringLiteral("Dataset not in edit or insert mode"));
}

void TQuery::CheckBrowseMode() {
    RequireActive();
    Post();
}

void TQuery::RequireWholeNumbers() const {
    for (int i = 0; i < FieldCount(); ++i) {
        const QVariant& value = buffer_[static_cast<size_t>(i)];
        if (modified_[static_cast<size_t>(i)] && plan_->IntegerField(i) && !IsWholeNumberOrNull(value))
            Fail(QStringLiteral("'%1' is not a valid whole number for %2: type a number, or nothing")
                     .arg(value.toString(), FieldName(i)));
    }
}

void TQuery::SetState(TDataSetState state) {
    if (state_ == state)
        return;
    state_ = state;
    emit stateChanged();
}

void TQuery::ScrollTo(int row) {
    if (row == recNo_)
        return;
    recNo_ = row;
    emit currentRowChanged(row);
    if (AfterScroll)
        AfterScroll(*this);
}

void TQuery::First() {
    MoveTo(0);
    bof_ = true;
}

void TQuery::Last() {
    MoveTo(RecordCount() - 1);
    eof_ = true;
}

void TQuery::Next() {
    MoveBy(1);
}

void TQuery::Prior() {
    MoveBy(-1);
}

void TQuery::MoveBy(int distance) {
    CheckBrowseMode();
    const int target = recNo_ + distance;
    const int count = RecordCount();
    bof_ = count == 0 || target < 0;
    eof_ = count == 0 || target >= count;
    if (count > 0)
        ScrollTo(std::clamp(target, 0, count - 1));
}

void TQuery::MoveTo(int row) {
    CheckBrowseMode();
    const int count = RecordCount();
    bof_ = eof_ = count == 0;
    if (count > 0)
        ScrollTo(std::clamp(row, 0, count - 1));
}

int TQuery::FieldCount() const {
    return plan_ ? static_cast<int>(plan_->FieldNames().size()) : 0;
}

QString TQuery::FieldName(int field) const {
    if (field < 0 || field >= FieldCount())
        Fail(QStringLiteral("Field index %1 out of range").arg(field));
    return plan_->FieldNames()[field];
}

int TQuery::FieldIndex(const QString& name) const {
    return plan_ ? plan_->FieldIndex(name) : -1;
}

bool TQuery::CanModify() const {
    return plan_ && plan_->Keyed();
}

bool TQuery::IsKeyField(int field) const {
    return plan_ && plan_->KeyField() == field;
}

QVariant TQuery::Field(int field) const {
    if (!Active() || recNo_ < 0 || recNo_ >= DisplayRowCount())
        return {};
    FieldName(field); // range check
    return DisplayedValue(recNo_, field);
}

QVariant TQuery::FieldByName(const QString& name) const {
    if (!Active())
        return {};
    const int field = FieldIndex(name);
    if (field < 0)
        Fail(QStringLiteral("Field '%1' not found").arg(name));
    return Field(field);
}

QVariant TQuery::Value(int row, int field) const {
    if (!Active() || row < 0 || row >= DisplayRowCount() || field < 0 || field >= FieldCount())
        return {};
    return DisplayedValue(row, field);
}

QVariant TQuery::DisplayedValue(int row, int field) const {
    if (state_ != TDataSetState::dsBrowse && row == recNo_)
        return buffer_[static_cast<size_t>(field)];
    const int insertRow = InsertRow();
    const int sourceRow = (insertRow >= 0 && row > insertRow) ? row - 1 : row;
    return rows_->Value(sourceRow, field);
}

void TQuery::Edit() {
    RequireActive();
    if (state_ != TDataSetState::dsBrowse)
        return;
    if (!CanModify())
        Fail(QStringLiteral("Cannot modify a read-only dataset"));
    if (RecordCount() == 0)
        return Insert();
    buffer_.clear();
    for (int i = 0; i < FieldCount(); ++i)
        buffer_.push_back(rows_->Value(recNo_, i));
    original_ = buffer_;
    modified_.assign(buffer_.size(), false);
    SetState(TDataSetState::dsEdit);
}

void TQuery::Insert() {
    CheckBrowseMode();
    BeginInsert(std::max(recNo_, 0));
}

void TQuery::Append() {
    CheckBrowseMode();
    BeginInsert(RecordCount());
}

void TQuery::BeginInsert(int row) {
    if (!CanModify())
        Fail(QStringLiteral("Cannot modify a read-only dataset"));
    buffer_.assign(static_cast<size_t>(FieldCount()), QVariant());
    original_ = buffer_;
    modified_.assign(buffer_.size(), false);
    recNo_ = row;
    bof_ = eof_ = false;
    SetState(TDataSetState::dsInsert);
    emit rowCountChanged();
    emit currentRowChanged(recNo_);
    if (AfterInsert)
        AfterInsert(*this);
}

bool TQuery::Modified() const {
    return std::find(modified_.begin(), modified_.end(), true) != modified_.end();
}

void TQuery::SetFieldValue(const QString& name, const QVariant& value) {
    RequireEditing();
    const int field = FieldIndex(name);
    if (field < 0)
        Fail(QStringLiteral("Field '%1' not found").arg(name));
    SetField(field, value);
}

void TQuery::SetField(int field, const QVariant& value) {
    RequireEditing();
    if (IsKeyField(field))
        Fail(QStringLiteral("Field '%1' cannot be modified").arg(FieldName(field)));
    FieldName(field); // range check
    buffer_[static_cast<size_t>(field)] = plan_->IntegerField(field) ? AsWholeNumber(value) : value;
    modified_[static_cast<size_t>(field)] = true;
    emit rowsChanged(recNo_, recNo_);
}

void TQuery::Post() {
    RequireActive();
    emit updateRecord();
    if (state_ == TDataSetState::dsBrowse)
        return;
    if (BeforePost)
        BeforePost(*this);
    RequireWholeNumbers();
    const bool inserting = state_ == TDataSetState::dsInsert;
    qint64 key = 0;
    WriteRecorded(StepName(inserting ? QStringLiteral("Insert") : QStringLiteral("Edit")), [&] {
        if (inserting)
            key = WriteInsert();
        else
            WriteUpdate();
    });
    if (inserting)
        rows_->InsertKey(recNo_, key);
    else
        rows_->Refresh(recNo_);
    LeaveEditing();
    emit rowsChanged(recNo_, recNo_);
    if (AfterPost)
        AfterPost(*this);
}

void TQuery::WriteRecorded(const QString& step, const std::function<void()>& write) {
    if (!History)
        return InTransaction(*connection_, write);
    const TRecordedChange change(*connection_, *History);
    InTransaction(*connection_, write);
    History->Record(step, change.Changeset());
}

QString TQuery::StepName(const QString& verb) const {
    const int name = FieldIndex(QStringLiteral("Name"));
    QString label = name >= 0 ? Field(name).toString() : QString();
    // The name goes into a menu item and messages, so a long one is cut short.
    constexpr qsizetype kLongestLabel = 40;
    if (label.size() > kLongestLabel)
        label = label.left(kLongestLabel - 1) + QChar(0x2026);
    return label.isEmpty() ? QStringLiteral("%1 %2 record").arg(verb, plan_->Table())
                           : QStringLiteral("%1 '%2'").arg(verb, label);
}

int TQuery::Run(const QString& sql, const std::vector<QVariant>& values) {
    TSQLiteStatement statement = connection_->Prepare(sql);
    for (size_t i = 0; i < values.size(); ++i)
        statement.Bind(static_cast<int>(i) + 1, values[i]);
    statement.Step();
    return connection_->Changes();
}

qint64 TQuery::WriteInsert() {
    QStringList columns;
    QStringList parameters;
    std::vector<QVariant> values;
    for (size_t i = 0; i < buffer_.size(); ++i) {
        if (!modified_[i])
            continue;
        columns << QuoteIdentifier(plan_->SourceColumns()[static_cast<int>(i)]);
        values.push_back(buffer_[i]);
        parameters << QStringLiteral("?%1").arg(values.size());
    }
    const QString table = QuoteIdentifier(plan_->Table());
    const QString sql = columns.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table)
                                          : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                .arg(table, columns.join(QStringLiteral(", ")),
                                                     parameters.join(QStringLiteral(", ")));
    Run(sql, values);
    return connection_->LastInsertRowId();
}

QString TQuery::CriteriaCondition(bool deleting, std::vector<QVariant>& values) const {
    QString condition;
    for (size_t i = 0; i < original_.size(); ++i) {
        const bool compared = criteria_ == TUpdateCriteria::ucWhereAll ||
                              (criteria_ == TUpdateCriteria::ucWhereChanged && (deleting || modified_[i]));
        if (!compared || IsKeyField(static_cast<int>(i)))
            continue;
        values.push_back(original_[i]);
        condition += QStringLiteral(" AND %1 IS ?%2")
                         .arg(QuoteIdentifier(plan_->SourceColumns()[static_cast<int>(i)]))
                         .arg(values.size());
    }
    return condition;
}

void TQuery::WriteUpdate() {
    QStringList assignments;
    std::vector<QVariant> values;
    for (size_t i = 0; i < buffer_.size(); ++i) {
        if (!modified_[i])
            continue;
        values.push_back(buffer_[i]);
        assignments << QStringLiteral("%1 = ?%2")
                           .arg(QuoteIdentifier(plan_->SourceColumns()[static_cast<int>(i)]))
                           .arg(values.size());
    }
    if (assignments.isEmpty())
        return;
    values.push_back(rows_->Key(recNo_));
    const int keyParameter = static_cast<int>(values.size());
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                            .arg(QuoteIdentifier(plan_->Table()), assignments.join(QStringLiteral(", ")))
                            .arg(keyParameter) +
                        CriteriaCondition(false, values);
    if (Run(sql, values) == 0)
        Fail(QStringLiteral(
            "The row cannot be found for updating: it was changed or deleted since it was read"));
}

void TQuery::Delete() {
    RequireActive();
    if (state_ == TDataSetState::dsInsert)
        return Cancel();
    LeaveEditing();
    if (RecordCount() == 0)
        Fail(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (!CanModify())
        Fail(QStringLiteral("Cannot modify a read-only dataset"));
    if (BeforeDelete)
        BeforeDelete(*this);
    WriteRecorded(StepName(QStringLiteral("Delete")), [&] { WriteDelete(); });
    rows_->Remove(recNo_);
    SettleAfterRowRemoved();
    if (AfterDelete)
        AfterDelete(*this);
    if (AfterScroll)
        AfterScroll(*this);
}

void TQuery::WriteDelete() {
    original_.clear();
    for (int i = 0; i < FieldCount(); ++i)
        original_.push_back(rows_->Value(recNo_, i));
    std::vector<QVariant> values{rows_->Key(recNo_)};
    const QString sql =
        QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(QuoteIdentifier(plan_->Table())) +
        CriteriaCondition(true, values);
    if (Run(sql, values) == 0)
        Fail(QStringLiteral(
            "The row cannot be found for deleting: it was changed or deleted since it was read"));
}

void TQuery::Cancel() {
    if (state_ == TDataSetState::dsInsert) {
        LeaveEditing();
        SettleAfterRowRemoved();
        if (AfterScroll)
            AfterScroll(*this);
    } else if (state_ == TDataSetState::dsEdit) {
        LeaveEditing();
        emit rowsChanged(recNo_, recNo_);
    }
}

// The row below takes the place of a row that went; the last row when it was the last.
void TQuery::SettleAfterRowRemoved() {
    recNo_ = std::min(recNo_, RecordCount() - 1);
    bof_ = eof_ = RecordCount() == 0;
    emit rowCountChanged();
    emit currentRowChanged(recNo_);
}

// Controls read the current row as soon as they hear of the state change, so a new row that was
// never written is gone, and the current row is one that exists, before they are told.
void TQuery::LeaveEditing() {
    if (state_ == TDataSetState::dsInsert || state_ == TDataSetState::dsEdit) {
        if (state_ == TDataSetState::dsInsert)
            recNo_ = std::min(recNo_, RecordCount() - 1);
        buffer_.clear();
        original_.clear();
        modified_.clear();
        SetState(TDataSetState::dsBrowse);
    }
}

} // namespace qm
