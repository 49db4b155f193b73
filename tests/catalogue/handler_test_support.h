#pragma once
// Helpers of the handler tests: what a grid shows (message boxes: tests/support).

#include "tests/support/message_box_recorder.h"

#include <QStringList>

namespace qm {
class TDBGrid;
}

namespace qm::test {

// The texts of one column of a grid, top to bottom, as the grid shows them.
QStringList GridColumn(const TDBGrid& grid, int column);

} // namespace qm::test
