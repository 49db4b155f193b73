#pragma once
// The window parts of the disc record: the "Find File" window, which narrows a list of recorded
// files as the user types, and the progress dialog that runs a scan or a verification off the GUI
// thread with a Cancel that leaves nothing behind.

#include "discs/disc_catalogue.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <thread>

class QLabel;
class QLineEdit;
class QTableView;
class QTimer;

namespace qm {

// CD name, path, size and date of the files FindFiles returned.
class TFoundFilesModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    void SetFiles(std::vector<TFoundFile> files);
    const TFoundFile& File(int row) const { return files_.at(static_cast<size_t>(row)); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<TFoundFile> files_;
};

class TFindFileDialog : public QDialog {
    Q_OBJECT
public:
    // Rows fetched per keystroke: the first screen and some more to scroll.
    static constexpr int kFirstScreen = 200;

    explicit TFindFileDialog(QString databaseFile, QWidget* parent = nullptr);
    ~TFindFileDialog() override;

    QLineEdit* EditFindFile() const { return edit_; }
    QTableView* GridFindFile() const { return grid_; }
    TFoundFilesModel& Model() { return model_; }

    // Runs the search for the field's text; an empty text shows nothing.
    void EditFindFileChange();

signals:
    // Enter or a double click on a file: the CD that holds it is to be shown.
    void ShowCDRequested(qint64 cd);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void RequestCurrentCD();

    QString databaseFile_;
    std::unique_ptr<TSQLiteConnection> connection_;
    TFoundFilesModel model_;
    QLineEdit* edit_;
    QTableView* grid_;
};

// Runs `work` on a thread of its own while it shows files, megabytes and speed; Cancel stops the
// work through its progress, whose EAbort then leaves nothing written. exec() returns Accepted
// when the work finished; Error() holds the message of a failure, empty after a cancel.
class TDiscWorkDialog : public QDialog {
    Q_OBJECT
public:
    using TWork = std::function<void(const TDiscReadOptions& options)>;
    TDiscWorkDialog(const QString& title, TWork work, QWidget* parent = nullptr);
    ~TDiscWorkDialog() override;

    int exec() override;
    QString Error() const { return error_; }
    // Asks the work to stop at its next file.
    void Cancel();
    // Escape and the close box cancel too; the dialog closes when the work has stopped.
    void reject() override;

private:
    void ShowProgress();

    TWork work_;
    std::atomic<qint64> files_{0};
    std::atomic<qint64> bytes_{0};
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> finished_{false};
    std::exception_ptr failure_;
    QString error_;
    std::thread thread_;
    QLabel* label_;
    QTimer* timer_;
    qint64 startedMs_ = 0;
};

} // namespace qm
