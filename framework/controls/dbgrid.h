#pragma once
// TDBGrid: a table view bound to a TQuery. Cells are edited in place; the current row follows
// the query and the query follows the current row (leaving an edited row posts it; a refused post
// keeps the row current). Insert starts a row in its first editable column, Down on the last row
// appends one. Ctrl+Delete deletes the current or the selected rows, asking first under
// dgConfirmDelete. Rows are as high as the text of the font and a few pixels.

#include "framework/controls/dataset_model.h"

#include <QFlags>
#include <QHeaderView>
#include <QTableView>

namespace qm {

enum TDBGridOption {
    dgEditing = 0x1,
    dgConfirmDelete = 0x2,
    dgMultiSelect = 0x4,
};
Q_DECLARE_FLAGS(TDBGridOptions, TDBGridOption)

// The column titles of a grid: a title wider than its column is shortened with an ellipsis rather
// than cut off at both ends, which is all the platform style does with it.
class TGridTitles : public QHeaderView {
    Q_OBJECT
public:
    explicit TGridTitles(QWidget* parent);
    // The title as the section shows it at its present width.
    QString ShownTitle(int logicalIndex) const;

protected:
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;
};

class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget* parent = nullptr);

    void SetDataSet(TQuery* dataSet);
    TQuery* DataSet() const { return model_->DataSet(); }
    TDataSetModel* DataModel() const { return model_; }
    // Fixed columns by field name, in order; an empty list shows every field of the result.
    void SetColumns(const QStringList& fieldNames);
    QStringList Columns() const { return model_->Columns(); }

    TDBGridOptions Options() const { return options_; }
    void SetOptions(TDBGridOptions options);
    void SetOption(TDBGridOption option, bool on);
    bool HasOption(TDBGridOption option) const { return options_.testFlag(option); }

    // Rows the user has selected (only while dgMultiSelect is set), ascending.
    QList<int> SelectedRows() const;
    // What Ctrl+Delete does: asks under dgConfirmDelete, then deletes. False when nothing went.
    bool DeleteRows();
    // Takes the focus onto the current row's first editable cell, so that typing goes into a row
    // just started wherever the command to start it came from.
    void EditNewRow();

signals:
    void TitleClick(int column);
    void CellClick(int column);
    // Every key press, before the grid handles it.
    void KeyDown(int key, Qt::KeyboardModifiers modifiers);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void FollowDataSet(int row);
    void UpdateData();
    int FirstEditableColumn() const;
    bool AppendOnDown();
    void ApplySelectionMode();

    TDataSetModel* model_;
    TDBGridOptions options_ = TDBGridOptions(dgEditing) | dgConfirmDelete;
    bool following_ = false;
};

} // namespace qm

Q_DECLARE_OPERATORS_FOR_FLAGS(qm::TDBGridOptions)
