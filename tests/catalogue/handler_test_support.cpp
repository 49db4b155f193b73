#include "tests/catalogue/handler_test_support.h"

#include "framework/controls/dbgrid.h"

#include <QApplication>

namespace qm::test {

QStringList GridColumn(const TDBGrid& grid, int column) {
    QStringList texts;
    const QAbstractItemModel& model = *grid.model();
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.data(model.index(row, column)).toString();
    return texts;
}

TBoxRecorder::TBoxRecorder() {
    connect(&timer_, &QTimer::timeout, this, &TBoxRecorder::Answer);
    timer_.start(5);
}

void TBoxRecorder::Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible())
        return;
    boxes_.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
    box->accept();
}

} // namespace qm::test
