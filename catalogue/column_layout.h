#pragma once

namespace qm {

// Widths of the two flexible columns of the Software grid; the three ID columns keep theirs.
struct TSoftwareColumnWidths {
    int name;
    int keywords;
};

// Shares the grid width left over by the ID columns (less 38 for the indicator, lines and scroll
// bar) between Name and Keywords, Name getting 50 more and the odd pixel.
TSoftwareColumnWidths SoftwareColumnWidths(int gridWidth, int cdidWidth, int categoryIDWidth,
                                           int typeIDWidth);

// Widths of the ID and Name columns of the CD, Category and Type grids, all sized from the CD
// grid's width because the four tabs have the same size.
struct TTableColumnWidths {
    int id;
    int name;
};

TTableColumnWidths TableColumnWidths(int cdGridWidth);

} // namespace qm
