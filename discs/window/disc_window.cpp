#include "discs/window/disc_window.h"

#include "framework/controls/application.h"
#include "framework/data/sqlite_connection.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace qm {

namespace {

enum TFoundColumn { fcCD, fcPath, fcSize, fcDate, fcCount };

// The progress is drawn this often; the worker only counts.
constexpr int kProgressIntervalMs = 100;

} // namespace

void TFoundFilesModel::SetFiles(std::vector<TFoundFile> files) {
    beginResetModel();
    files_ = std::move(files);
    endResetModel();
}

int TFoundFilesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(files_.size());
}

int TFoundFilesModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : fcCount;
}

QVariant TFoundFilesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TFoundFile& file = File(index.row());
    if (role == Qt::TextAlignmentRole && index.column() == fcSize)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case fcCD:
        return file.cdName;
    case fcPath:
        return file.path;
    case fcSize:
        return file.size;
    case fcDate:
        return file.modified;
    default:
        return {};
    }
}

QVariant TFoundFilesModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[fcCount] = {"CD", "Path", "Size", "Date"};
    return section >= 0 && section < fcCount ? QString::fromLatin1(titles[section]) : QVariant();
}

TFindFileDialog::TFindFileDialog(QString databaseFile, QWidget* parent)
    : QDialog(parent), databaseFile_(std::move(databaseFile)), edit_(new QLineEdit(this)),
      grid_(new QTableView(this)) {
    setObjectName(QStringLiteral("FindFile"));
    setWindowTitle(QStringLiteral("Find File"));
    edit_->setObjectName(QStringLiteral("EditFindFile"));
    grid_->setObjectName(QStringLiteral("GridFindFile"));
    grid_->setModel(&model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionResizeMode(fcPath, QHeaderView::Stretch);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edit_);
    layout->addWidget(grid_);
    resize(640, 400);
    connect(edit_, &QLineEdit::textChanged, this, Guarded(this, &TFindFileDialog::EditFindFileChange));
    connect(grid_, &QTableView::doubleClicked, this, Guarded(this, &TFindFileDialog::RequestCurrentCD));
}

TFindFileDialog::~TFindFileDialog() = default;

void TFindFileDialog::EditFindFileChange() {
    const QString text = edit_->text();
    if (text.isEmpty()) {
        model_.SetFiles({});
        return;
    }
    if (!connection_)
        connection_ = std::make_unique<TSQLiteConnection>(databaseFile_, TOpenMode::omReadOnly);
    model_.SetFiles(FindFiles(*connection_, text, kFirstScreen));
    if (model_.rowCount() > 0)
        grid_->selectRow(0);
}

void TFindFileDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        RequestCurrentCD();
        return;
    }
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
        // The arrows move through the list while the text keeps the focus.
        const int row = grid_->currentIndex().row() + (event->key() == Qt::Key_Down ? 1 : -1);
        if (row >= 0 && row < model_.rowCount())
            grid_->selectRow(row);
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFindFileDialog::RequestCurrentCD() {
    const QModelIndex current = grid_->currentIndex();
    if (current.isValid())
        emit ShowCDRequested(model_.File(current.row()).cd);
}

TDiscWorkDialog::TDiscWorkDialog(const QString& title, TWork work, QWidget* parent)
    : QDialog(parent), work_(std::move(work)), label_(new QLabel(this)), timer_(new QTimer(this)) {
    setObjectName(QStringLiteral("DiscProgress"));
    setWindowTitle(title);
    label_->setObjectName(QStringLiteral("LabelProgress"));
    label_->setMinimumWidth(320);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("ButtonCancel"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &TDiscWorkDialog::Cancel);
    timer_->setInterval(kProgressIntervalMs);
    connect(timer_, &QTimer::timeout, this, &TDiscWorkDialog::ShowProgress);
    ShowProgress();
}

TDiscWorkDialog::~TDiscWorkDialog() {
    cancelled_ = true;
    if (thread_.joinable())
        thread_.join();
}

int TDiscWorkDialog::exec() {
    startedMs_ = QDateTime::currentMSecsSinceEpoch();
    thread_ = std::thread([this] {
        TDiscReadOptions options;
        options.progress = [this](qint64 files, qint64 bytes) {
            files_ = files;
            bytes_ = bytes;
            return !cancelled_.load();
        };
        try {
            work_(options);
        } catch (...) {
            failure_ = std::current_exception();
        }
        finished_ = true;
    });
    timer_->start();
    return QDialog::exec();
}

void TDiscWorkDialog::reject() {
    Cancel();
}

void TDiscWorkDialog::Cancel() {
    if (cancelled_.exchange(true))
        return;
    label_->setText(label_->text() + QStringLiteral("\nCancelling…"));
}

// Runs on the GUI thread: the work's results are taken over once, when it has finished.
void TDiscWorkDialog::ShowProgress() {
    const qint64 elapsedMs = startedMs_ == 0 ? 0 : QDateTime::currentMSecsSinceEpoch() - startedMs_;
    const double megabytes = static_cast<double>(bytes_.load()) / 1e6;
    const double speed = elapsedMs > 0 ? megabytes * 1000.0 / static_cast<double>(elapsedMs) : 0.0;
    const QLocale locale;
    label_->setText(QStringLiteral("%1 files, %2 MB, %3 MB/s")
                        .arg(locale.toString(files_.load()), locale.toString(megabytes, 'f', 1),
                             locale.toString(speed, 'f', 1)));
    if (!finished_)
        return;
    timer_->stop();
    thread_.join();
    if (!failure_)
        return done(Accepted);
    try {
        std::rethrow_exception(failure_);
    } catch (const EAbort&) {
        error_.clear();
    } catch (const std::exception& error) {
        error_ = QString::fromUtf8(error.what());
    }
    done(Rejected);
}

} // namespace qm
