#include "framework/controls/dbmemo.h"

#include <QScopeGuard>
#include <utility>

namespace qm {

TDBMemo::TDBMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &TDBMemo::TextTyped);
}

void TDBMemo::SetDataSet(TQuery* dataSet, const QString& fieldName) {
    if (dataSet_)
        disconnect(dataSet_, nullptr, this, nullptr);
    dataSet_ = dataSet;
    fieldName_ = fieldName;
    if (dataSet_) {
        connect(dataSet_, &TQuery::dataReset, this, &TDBMemo::LoadField);
        connect(dataSet_, &TQuery::rowCountChanged, this, &TDBMemo::LoadField);
        connect(dataSet_, &TQuery::currentRowChanged, this, &TDBMemo::LoadField);
        connect(dataSet_, &TQuery::rowsChanged, this, &TDBMemo::RowsChanged);
        connect(dataSet_, &TQuery::stateChanged, this, &TDBMemo::StateChanged);
    }
    LoadField();
}

void TDBMemo::SetWordWrap(bool on) {
    setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

bool TDBMemo::WordWrap() const {
    return lineWrapMode() != QPlainTextEdit::NoWrap;
}

void TDBMemo::LoadField() {
    if (handingOver_)
        return;
    const bool known = dataSet_ && dataSet_->Active() && dataSet_->FieldIndex(fieldName_) >= 0;
    const QString text = known ? dataSet_->FieldByName(fieldName_).toString() : QString();
    if (text != toPlainText())
        setPlainText(text);
    document()->setModified(false);
}

// Only what the user types, pastes or drops is an edit of the row; text the program sets is not.
template <typename Input> void TDBMemo::AsUserInput(Input&& input) {
    const auto restore = qScopeGuard([this, outer = std::exchange(userInput_, true)] { userInput_ = outer; });
    input();
}

void TDBMemo::keyPressEvent(QKeyEvent* event) {
    AsUserInput([&] { QPlainTextEdit::keyPressEvent(event); });
}

void TDBMemo::inputMethodEvent(QInputMethodEvent* event) {
    AsUserInput([&] { QPlainTextEdit::inputMethodEvent(event); });
}

void TDBMemo::insertFromMimeData(const QMimeData* source) {
    AsUserInput([&] { QPlainTextEdit::insertFromMimeData(source); });
}

// Back in browse mode the row holds what was posted, or again what the file has after a cancel.
void TDBMemo::StateChanged() {
    if (dataSet_ && dataSet_->State() == TDataSetState::dsBrowse)
        LoadField();
}

void TDBMemo::TextTyped() {
    if (!userInput_ || !dataSet_ || !dataSet_->Active() || !dataSet_->CanModify() ||
        dataSet_->FieldIndex(fieldName_) < 0)
        return;
    // Starting a row in an empty result must not show that row's empty text over the typing.
    const auto restore =
        qScopeGuard([this, outer = std::exchange(handingOver_, true)] { handingOver_ = outer; });
    dataSet_->Edit();
    dataSet_->SetFieldValue(fieldName_, toPlainText());
}

// A change posted to another column of the current row must not throw away what is being typed.
void TDBMemo::RowsChanged(int firstRow, int lastRow) {
    if (!document()->isModified() && dataSet_ && dataSet_->RecNo() >= firstRow &&
        dataSet_->RecNo() <= lastRow)
        LoadField();
}

} // namespace qm
