#include "catalogue/column_layout.h"

namespace qm {

TSoftwareColumnWidths SoftwareColumnWidths(int gridWidth, int cdidWidth, int categoryIDWidth,
                                           int typeIDWidth) {
    const int rest = gridWidth - (cdidWidth + categoryIDWidth + typeIDWidth) - 38;
    const int half = rest / 2; // truncates toward zero, also for a grid narrower than its ID columns
    const int odd = rest % 2 != 0 ? 1 : 0;
    return {half + 25 + odd, half - 25};
}

TTableColumnWidths TableColumnWidths(int cdGridWidth) {
    return {50, cdGridWidth - 84};
}

} // namespace qm
