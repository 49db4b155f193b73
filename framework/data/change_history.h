#pragma once
// TChangeHistory: the steps the program made to a database file, each kept as the engine's own
// record of what changed (a session changeset), so that it can be taken back and put again.
// TRecordedChange records what one transaction on one connection changes.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>

struct sqlite3_session;

namespace qm {

class TChangeHistory;
class TSQLiteConnection;

// Records every change made on `connection` to the tables `recorded` admits from construction
// until Changeset() is taken. Changes undone by a rollback are still in the record: take the
// changeset only after a commit.
class TRecordedChange {
public:
    TRecordedChange(TSQLiteConnection& connection, const std::function<bool(const QString&)>& recorded);
    // Records the tables `history` keeps steps of.
    TRecordedChange(TSQLiteConnection& connection, const TChangeHistory& history);
    ~TRecordedChange();
    TRecordedChange(const TRecordedChange&) = delete;
    TRecordedChange& operator=(const TRecordedChange&) = delete;

    QByteArray Changeset() const;
    // The engine's running estimate of the bytes Changeset() would give now, known without making
    // it, so that a record outgrowing the history can be given up before its end. (It runs short of
    // the changeset by about a quarter for rows of text; the step's own size is checked again.)
    qint64 Size() const;

private:
    sqlite3_session* session_ = nullptr;
    std::function<bool(const QString&)> recorded_;
};

class TChangeHistory : public QObject {
    Q_OBJECT
public:
    // `recordedTables` are the tables whose changes make up a step; tables kept by triggers are
    // left out, since replaying a step fires the triggers again.
    TChangeHistory(QString databaseFile, QStringList recordedTables, QObject* parent = nullptr);
    ~TChangeHistory() override;

    // At most this many steps and this many bytes of changesets are kept; the oldest go first.
    static constexpr int kMaximumSteps = 100;
    static constexpr std::size_t kMaximumBytes = 64u * 1024 * 1024;

    bool IsRecorded(const QString& table) const;
    // A step that changed something; an empty changeset is no step. Inside a group the changes
    // join the group's step. A new step ends what could be redone. A step larger than the
    // history may hold is forgotten as below.
    void Record(const QString& name, const QByteArray& changeset);
    // A step was made that cannot be kept: the steps before it can no longer be taken back in
    // order, so undo and redo start afresh and forgotten() says why.
    void Forget(const QString& name);

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    QString UndoName() const; // the step Undo would take back, empty when none
    QString RedoName() const;
    // Take back or put again the last step in one transaction. When the file no longer holds
    // what the step left (another program changed those rows since), EDatabaseError says so
    // and nothing changes.
    void Undo();
    void Redo();

    // Changes recorded between BeginGroup and the matching EndGroup are one step named `name`.
    void BeginGroup(const QString& name);
    void EndGroup();

signals:
    void changed();
    // The step `name` was too large to keep, and with it went every step before it.
    void forgotten(const QString& name);
    // A step was undone or redone: what is shown must be read again.
    void applied();

private:
    struct TStep {
        QString name;
        QByteArray changeset;
    };
    void Push(std::deque<TStep>& stack, TStep step);
    void Replay(std::deque<TStep>& from, std::deque<TStep>& to, bool undoing);
    void Apply(const QByteArray& changeset);
    TSQLiteConnection& Connection();

    QString databaseFile_;
    QStringList recordedTables_;
    std::unique_ptr<TSQLiteConnection> connection_;
    std::deque<TStep> undo_;
    std::deque<TStep> redo_;
    int groupDepth_ = 0;
    TStep group_;
};

// Makes the changes recorded during its life one step of `history` (when there is one).
class TChangeGroup {
public:
    TChangeGroup(TChangeHistory* history, const QString& name) : history_(history) {
        if (history_)
            history_->BeginGroup(name);
    }
    ~TChangeGroup() {
        if (history_)
            history_->EndGroup();
    }
    TChangeGroup(const TChangeGroup&) = delete;
    TChangeGroup& operator=(const TChangeGroup&) = delete;

private:
    TChangeHistory* history_;
};

} // namespace qm
