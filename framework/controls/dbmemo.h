#pragma once
// TDBMemo: a multi-line text bound to one column of a TQuery. It shows the current row's text
// and follows the row. Typing puts the query into edit mode and hands the text to the row at
// once, so that whatever moves or posts the query next writes it; a cancel shows the row's text
// again. Tab leaves the memo instead of typing a tab character.

#include "framework/data/query.h"

#include <QPlainTextEdit>
#include <QPointer>

namespace qm {

class TDBMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TDBMemo(QWidget* parent = nullptr);

    void SetDataSet(TQuery* dataSet, const QString& fieldName);
    TQuery* DataSet() const { return dataSet_; }
    QString FieldName() const { return fieldName_; }
    void SetWordWrap(bool on);
    bool WordWrap() const;
    // Reads the field of the current row again (discarding what was typed).
    void LoadField();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void RowsChanged(int firstRow, int lastRow);
    void StateChanged();
    void TextTyped();
    template <typename Input> void AsUserInput(Input&& input);

    bool userInput_ = false;
    bool handingOver_ = false;
    QPointer<TQuery> dataSet_;
    QString fieldName_;
};

} // namespace qm
