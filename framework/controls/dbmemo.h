#pragma once
// TDBMemo: a multi-line text bound to one column of a TQuery. It shows the current row's text
// and follows the row; writing the text back is the owner's decision (Edit, SetFieldValue, Post).

#include "framework/data/query.h"

#include <QPlainTextEdit>
#include <QPointer>

namespace qm {

class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget* parent = nullptr);

    void setDataSet(TQuery* dataSet, const QString& fieldName);
    TQuery* DataSet() const { return dataSet_; }
    QString FieldName() const { return fieldName_; }
    void setWordWrap(bool on);
    bool WordWrap() const;
    // Reads the field of the current row again (discarding what was typed).
    void LoadField();

private:
    void RowsChanged(int firstRow, int lastRow);

    QPointer<TQuery> dataSet_;
    QString fieldName_;
};

} // namespace qm
