#include "framework/controls/dbmemo.h"

namespace qm {

TDBMemo::TDBMemo(QWidget* parent) : QPlainTextEdit(parent) {}

void TDBMemo::setDataSet(TQuery* dataSet, const QString& fieldName) {
    if (dataSet_)
        disconnect(dataSet_, nullptr, this, nullptr);
    dataSet_ = dataSet;
    fieldName_ = fieldName;
    if (dataSet_) {
        connect(dataSet_, &TQuery::dataReset, this, &TDBMemo::LoadField);
        connect(dataSet_, &TQuery::rowCountChanged, this, &TDBMemo::LoadField);
        connect(dataSet_, &TQuery::currentRowChanged, this, &TDBMemo::LoadField);
        connect(dataSet_, &TQuery::rowsChanged, this, &TDBMemo::RowsChanged);
    }
    LoadField();
}

void TDBMemo::setWordWrap(bool on) {
    setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

bool TDBMemo::WordWrap() const {
    return lineWrapMode() != QPlainTextEdit::NoWrap;
}

void TDBMemo::LoadField() {
    const bool known = dataSet_ && dataSet_->Active() && dataSet_->FieldIndex(fieldName_) >= 0;
    const QString text = known ? dataSet_->FieldByName(fieldName_).toString() : QString();
    if (text != toPlainText())
        setPlainText(text);
    document()->setModified(false);
}

// A change posted to another column of the current row must not throw away what is being typed.
void TDBMemo::RowsChanged(int firstRow, int lastRow) {
    if (!document()->isModified() && dataSet_ && dataSet_->RecNo() >= firstRow &&
        dataSet_->RecNo() <= lastRow)
        LoadField();
}

} // namespace qm
