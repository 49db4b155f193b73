#include "framework/data/change_history.h"

#include "framework/core/exceptions.h"
#include "framework/data/sqlite_connection.h"

#include <sqlite3.h>

namespace qm {

namespace {

// A buffer the engine allocated, freed with the engine's allocator.
struct TEngineBuffer {
    int size = 0;
    void* data = nullptr;
    ~TEngineBuffer() { sqlite3_free(data); }
    QByteArray Bytes() const { return {static_cast<const char*>(data), size}; }
};

void Check(int result, const char* what) {
    if (result != SQLITE_OK)
        throw EDatabaseError(std::string(what) + ": " + sqlite3_errstr(result));
}

QByteArray Inverted(const QByteArray& changeset) {
    TEngineBuffer inverted;
    Check(sqlite3changeset_invert(static_cast<int>(changeset.size()), changeset.data(), &inverted.size,
                                  &inverted.data),
          "The step cannot be reversed");
    return inverted.Bytes();
}

QByteArray Concatenated(const QByteArray& first, const QByteArray& second) {
    if (first.isEmpty())
        return second;
    TEngineBuffer joined;
    Check(sqlite3changeset_concat(static_cast<int>(first.size()), const_cast<char*>(first.data()),
                                  static_cast<int>(second.size()), const_cast<char*>(second.data()),
                                  &joined.size, &joined.data),
          "The changes cannot be joined into one step");
    return joined.Bytes();
}

// A row the step would delete that is gone already leaves the file as the step wants it; any
// other difference means the rows are no longer what the step left, and the step must not run.
int OnConflict(void*, int conflict, sqlite3_changeset_iter* change) {
    const char* table = nullptr;
    int columns = 0;
    int operation = 0;
    int indirect = 0;
    sqlite3changeset_op(change, &table, &columns, &operation, &indirect);
    if (conflict == SQLITE_CHANGESET_NOTFOUND && operation == SQLITE_DELETE)
        return SQLITE_CHANGESET_OMIT;
    return SQLITE_CHANGESET_ABORT;
}

} // namespace

TRecordedChange::TRecordedChange(TSQLiteConnection& connection,
                                 const std::function<bool(const QString&)>& recorded)
    : recorded_(recorded) {
    Check(sqlite3session_create(connection.Handle(), "main", &session_), "The change cannot be recorded");
    // An inserted row is kept as its key alone until the changeset is made; only the size count
    // tells what the step is going to hold.
    int countSize = 1;
    Check(sqlite3session_object_config(session_, SQLITE_SESSION_OBJCONFIG_SIZE, &countSize),
          "The change cannot be recorded");
    sqlite3session_table_filter(
        session_,
        [](void* context, const char* table) -> int {
            return (*static_cast<std::function<bool(const QString&)>*>(context))(QString::fromUtf8(table))
                       ? 1
                       : 0;
        },
        &recorded_);
    Check(sqlite3session_attach(session_, nullptr), "The change cannot be recorded");
}

TRecordedChange::TRecordedChange(TSQLiteConnection& connection, const TChangeHistory& history)
    : TRecordedChange(connection, [&history](const QString& table) { return history.IsRecorded(table); }) {}

TRecordedChange::~TRecordedChange() {
    sqlite3session_delete(session_);
}

QByteArray TRecordedChange::Changeset() const {
    TEngineBuffer changeset;
    Check(sqlite3session_changeset(session_, &changeset.size, &changeset.data),
          "The change cannot be recorded");
    return changeset.Bytes();
}

qint64 TRecordedChange::Size() const {
    return sqlite3session_changeset_size(session_);
}

TChangeHistory::TChangeHistory(QString databaseFile, QStringList recordedTables, QObject* parent)
    : QObject(parent), databaseFile_(std::move(databaseFile)), recordedTables_(std::move(recordedTables)) {}

TChangeHistory::~TChangeHistory() = default;

bool TChangeHistory::IsRecorded(const QString& table) const {
    return recordedTables_.contains(table, Qt::CaseInsensitive);
}

void TChangeHistory::Record(const QString& name, const QByteArray& changeset) {
    if (changeset.isEmpty())
        return;
    if (groupDepth_ > 0) {
        group_.changeset = Concatenated(group_.changeset, changeset);
        return;
    }
    if (static_cast<std::size_t>(changeset.size()) > kMaximumBytes)
        return Forget(name);
    redo_.clear();
    Push(undo_, {name, changeset});
}

void TChangeHistory::Forget(const QString& name) {
    undo_.clear();
    redo_.clear();
    emit changed();
    emit forgotten(name);
}

// The newest step goes on top; the oldest steps give way to keep the history within its bounds.
void TChangeHistory::Push(std::deque<TStep>& stack, TStep step) {
    stack.push_back(std::move(step));
    const auto bytes = [this] {
        std::size_t total = 0;
        for (const auto* stack : {&undo_, &redo_})
            for (const TStep& kept : *stack)
                total += static_cast<std::size_t>(kept.changeset.size());
        return total;
    };
    while (stack.size() > 1 && (static_cast<int>(stack.size()) > kMaximumSteps || bytes() > kMaximumBytes))
        stack.pop_front();
    emit changed();
}

QString TChangeHistory::UndoName() const {
    return undo_.empty() ? QString() : undo_.back().name;
}

QString TChangeHistory::RedoName() const {
    return redo_.empty() ? QString() : redo_.back().name;
}

void TChangeHistory::Undo() {
    Replay(undo_, redo_, true);
}

void TChangeHistory::Redo() {
    Replay(redo_, undo_, false);
}

// Runs the newest step of `from` (reversed when undoing) and moves it onto `to`.
void TChangeHistory::Replay(std::deque<TStep>& from, std::deque<TStep>& to, bool undoing) {
    if (from.empty())
        return;
    try {
        Apply(undoing ? Inverted(from.back().changeset) : from.back().changeset);
    } catch (const EDatabaseError& error) {
        throw EDatabaseError(QStringLiteral("\"%1\" cannot be %2: %3")
                                 .arg(from.back().name,
                                      undoing ? QStringLiteral("undone") : QStringLiteral("redone"),
                                      QString::fromUtf8(error.what()))
                                 .toStdString());
    }
    TStep step = std::move(from.back());
    from.pop_back();
    Push(to, std::move(step));
    emit applied();
}

void TChangeHistory::Apply(const QByteArray& changeset) {
    TSQLiteConnection& connection = Connection();
    InTransaction(connection, [&] {
        const int result =
            sqlite3changeset_apply(connection.Handle(), static_cast<int>(changeset.size()),
                                   const_cast<char*>(changeset.data()), nullptr, OnConflict, nullptr);
        if (result == SQLITE_ABORT || result == SQLITE_CONSTRAINT)
            throw EDatabaseError("the catalogue file was changed by another program since");
        if (result != SQLITE_OK)
            connection.Fail();
    });
}

TSQLiteConnection& TChangeHistory::Connection() {
    if (!connection_)
        connection_ = std::make_unique<TSQLiteConnection>(databaseFile_, TOpenMode::omReadWrite);
    return *connection_;
}

void TChangeHistory::BeginGroup(const QString& name) {
    if (groupDepth_++ == 0)
        group_ = {name, {}};
}

void TChangeHistory::EndGroup() {
    if (--groupDepth_ > 0)
        return;
    TStep step = std::move(group_);
    group_ = {};
    Record(step.name, step.changeset);
}

} // namespace qm
