#pragma once
// TDBNavigator: the nine buttons that browse and edit a TQuery (object names First, Prior, Next,
// Last, Insert, Delete, Edit, Post, Cancel). Delete always asks "Delete record?".

#include "framework/data/query.h"

#include <QPointer>
#include <QWidget>
#include <array>

class QToolButton;

namespace qm {

class TDBNavigator : public QWidget {
    Q_OBJECT
public:
    enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel };

    explicit TDBNavigator(QWidget* parent = nullptr);

    void SetDataSet(TQuery* dataSet);
    TQuery* DataSet() const { return dataSet_; }
    QToolButton* Button(TNavigateBtn button) const { return buttons_[button]; }
    // Tooltips of the nine buttons on or off.
    void SetShowHint(bool show);
    bool ShowHint() const { return showHint_; }
    // Runs what a click on the button does.
    void BtnClick(TNavigateBtn button);

signals:
    // A new row was started from the Insert button: the owner moves the typing into it.
    void Inserted();

private:
    void UpdateButtons();

    QPointer<TQuery> dataSet_;
    std::array<QToolButton*, 9> buttons_{};
    bool showHint_ = true;
};

} // namespace qm
