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

} // namespace qm::test
